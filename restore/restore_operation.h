// The restore of chosen categories into a dated folder below "System Recovery Files".
#pragma once

#include <vector>

#include "api/qxfilemgr.h"

// The restore proper, inside the operation frame. 0 when the last (drive,
// category) pair processed was applied and listed, 1 otherwise.
int RunRestore(const CString& backupFolder, const std::vector<CString>* categories, const CString& restoreTarget);
