#include "services/dbglog.h"
#include "services/notify.h"
#include "api/operation_frame.h"
#include "backup/backup_operation.h"

namespace {

// A backup that was saved but is not all that was asked for is 1 to a host of
// the documented protocol; the debug log keeps what the flags would have said.
bool TellsHostItFailed(int flags) {
    if (flags == 0 || g_nHostProtocol == QXFM_PROTOCOL_EXTENDED) return false;
    if (flags & QXFM_BACKUP_NOT_SPLIT)
        DbgLog(u"The backup is saved and restores, but its image stays one file: not split as asked");
    if (flags & QXFM_BACKUP_FILES_LEFT_OUT)
        DbgLog(u"The backup is saved and restores, but without the files left out");
    DbgLog(u"Backup result 1 (the documented protocol has no result %d)", flags);
    return true;
}

}  // namespace

int Backup(HWND* hostWindow, std::vector<CString>* fileList, CString typeListFile, std::vector<CString>* categories,
           CString destinationFolder, CString imageName, BOOL splitImage, int splitSizeMB, int compressionType,
           std::vector<CString>* imageFiles, ContinueCallback continueCallback) {
    int flags = 0;
    const int result = RunOperation(OP_BACKUP, hostWindow, continueCallback, [&](OperationFrame& frame) {
        if (!frame.Lock() || !fileList) return false;
        if (fileList->empty()) {
            PostErrorText(kQxfmTextNoFileInList);
            return false;
        }
        frame.Start();
        BackupRequest request;
        request.fileList = fileList;
        request.typeListFile = typeListFile;
        request.categories = categories;
        request.destinationFolder = destinationFolder;
        request.imageName = imageName;
        request.splitImage = splitImage;
        request.splitSizeMB = splitSizeMB;
        request.compressionType = compressionType;
        request.imageFiles = imageFiles;
        return RunBackup(request, &flags) && !TellsHostItFailed(flags);
    });
    return result == 0 ? flags : result;
}
