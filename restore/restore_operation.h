// The restore of chosen categories into a dated folder below "System Recovery Files".
#pragma once

#include <vector>

#include "api/qxfilemgr.h"

// The restore proper, inside the operation frame. True when everything stored
// for the chosen categories came back and was listed.
bool RunRestore(const CString& backupFolder, const std::vector<CString>* categories, const CString& restoreTarget);
