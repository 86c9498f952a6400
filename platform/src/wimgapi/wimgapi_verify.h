// The data check of WIMApplyImage with WIM_FLAG_NO_APPLY | WIM_FLAG_VERIFY.
#pragma once

#include "wimgapi_messages.h"
#include "wimgapi_objects.h"

// Reads every file's data of the image and checks it against its stored hash;
// nothing is left on disk. All data of the file and its referenced parts is
// read at the first check of any of its images; a later image of the same
// handle is read again only when damage was found, file by file; an image
// whose own files all read back sound passes. Progress goes out as WIM_MSG_PROGRESS. Each damaged
// file is reported with WIM_MSG_ERROR (its path below targetWin,
// ERROR_FILE_CORRUPT), then WIM_MSG_INFO (the part file that holds its data,
// ERROR_FILE_CORRUPT). Returns ERROR_SUCCESS, ERROR_FILE_CORRUPT when a file
// is damaged, ERROR_REQUEST_ABORTED when a callback aborted, or the error
// that stopped the check.
DWORD VerifyImageData(WimImageObject& image, const CString& targetWin, ProgressReporter& progress);
