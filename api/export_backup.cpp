#include "services/notify.h"
#include "api/operation_frame.h"
#include "backup/backup_operation.h"

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
        return RunBackup(request, &flags);
    });
    return result == 0 ? flags : result;
}
