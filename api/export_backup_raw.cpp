// BackupRaw: copies a file list into a new time-stamped folder, without an image.
#include "api/dbglog.h"
#include "api/notify.h"
#include "api/operation_lock.h"
#include "backup/raw_copy.h"
#include "backup/raw_folder.h"

namespace {

// A raw backup either completes, with its list log, or leaves its folder with
// the copies made and without a list (some file not copied), or, cancelled or
// out of space, leaves nothing of this run behind.
int RunBackupRaw(std::vector<CString>* fileList, const CString& destinationFolder) {
    if (!fileList) return 1;
    CRawBackupFolder folder(destinationFolder);
    std::vector<CString> copied = *fileList;
    const RawCopyResult copy = RawCopy(&copied, folder.Path());
    if (copy == RAW_COPY_DONE && WriteFileListLog(&copied, folder.Path(), FALSE, FALSE)) return 0;
    // The list writer stops at a cancel as at a write error; a cancel keeps answering.
    if (copy == RAW_COPY_STOPPED || (copy == RAW_COPY_DONE && !AskContinue())) folder.Remove();
    return 1;
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
