#include "api/qxfilemgr.h"
#include "backup/backup_operation.h"

int Backup(HWND* hostWindow, std::vector<CString>* fileList, CString typeListFile, std::vector<CString>* categories,
           CString destinationFolder, CString imageName, BOOL splitImage, int splitSizeMB, int compressionType,
           std::vector<CString>* imageFiles, ContinueCallback continueCallback) {
    try {
        BackupRequest request;
        request.hostWindow = hostWindow;
        request.fileList = fileList;
        request.typeListFile = typeListFile;
        request.categories = categories;
        request.destinationFolder = destinationFolder;
        request.imageName = imageName;
        request.splitImage = splitImage;
        request.splitSizeMB = splitSizeMB;
        request.compressionType = compressionType;
        request.imageFiles = imageFiles;
        request.continueCallback = continueCallback;
        return RunBackup(request);
    } catch (...) {
        return 1;
    }
}
