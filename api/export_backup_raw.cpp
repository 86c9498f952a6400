// BackupRaw: copies a file list into a new time-stamped folder, without an image.
#include "services/dbglog.h"
#include "services/notify.h"
#include "api/operation_frame.h"
#include "backup/raw_copy.h"
#include "backup/raw_folder.h"

namespace {

// A raw backup either completes, with its list log, or keeps its folder with
// the copies made and without a list (some file not copied), or, cancelled,
// out of space or without its list, leaves nothing of this run behind. The
// folder carries its time-stamped name only once it is kept, so a killed run
// leaves its temporary folder, which the next raw backup removes.
bool RunBackupRaw(std::vector<CString>* fileList, const CString& destinationFolder) {
    if (!fileList) return false;
    CRawBackupFolder folder(destinationFolder);
    std::vector<CString> copied = *fileList;
    const RawCopyResult copy = RawCopy(&copied, folder);
    if (copy == RAW_COPY_INCOMPLETE) {
        folder.Keep();
        return false;
    }
    return copy == RAW_COPY_DONE && WriteFileListLog(&copied, folder.Path(), FALSE, FALSE) && folder.Keep();
}

}  // namespace

extern "C" QXFM_API int BackupRaw(HWND* hostWindow, std::vector<CString>* fileList, CString destinationFolder,
                                  ContinueCallback continueCallback) {
    return RunOperation(OP_BACKUPRAW, hostWindow, continueCallback, [&](OperationFrame& frame) {
        if (!frame.Lock()) return false;
        frame.Start();
        const bool done = frame.Guard([&] { return RunBackupRaw(fileList, destinationFolder); });
        if (done)
            PostOperation(MSG_OPERATION_BACKUPRAW_END);
        else
            PostError(MSG_ERROR_BACKUPRAW_FAILED);
        return done;
    });
}
