// The restore of chosen categories into a dated folder below "System Recovery Files".
#pragma once

#include <vector>

#include "api/qxfilemgr.h"

// 0 when the last (drive, category) pair processed was applied and listed, 1 otherwise.
int RunRestore(HWND* hostWindow, const CString& backupFolder, const std::vector<CString>* categories,
               const CString& restoreTarget, ContinueCallback continueCallback);
