// BackupRaw: copies a file list into a new time-stamped folder, without an image.
#include "api/dbglog.h"
#include "api/local_time.h"
#include "api/notify.h"
#include "api/operation_lock.h"
#include "api/path_parts.h"
#include "backup/raw_copy.h"

namespace {

int RunBackupRaw(std::vector<CString>* fileList, const CString& destinationFolder) {
    const CString targetFolder = WithBackslash(destinationFolder) + LocalTimeText(u"%Y-%m-%d %H%M%S");
    if (!fileList) return 1;
    std::vector<CString> copied = *fileList;
    if (RawCopy(&copied, targetFolder, TRUE) != 0) return 1;
    return WriteFileListLog(&copied, targetFolder, FALSE, FALSE) ? 0 : 1;
}

}  // namespace

extern "C" QXFM_API int BackupRaw(HWND* hostWindow, std::vector<CString>* fileList, CString destinationFolder,
                                  ContinueCallback continueCallback) {
    OperationLock lock;  // released after the end notification
    int result = 1;
    try {
        g_pHostWnd = hostWindow;
        if (!lock.Acquire()) {
            ReportOperationRefused(false);
            return 1;
        }
        DbgLog(OperationText(MSG_OPERATION_BACKUPRAW_START));
        g_nOperation = OP_BACKUPRAW;
        PostOperation(MSG_OPERATION_BACKUPRAW_START);
        g_pfnContinue = continueCallback;
        result = RunBackupRaw(fileList, destinationFolder);
    } catch (...) {
        PostLastSystemError();
        result = 1;
    }
    if (result == 0)
        PostOperation(MSG_OPERATION_BACKUPRAW_END);
    else
        PostError(MSG_ERROR_BACKUPRAW_FAILED);
    return result;
}
