// The image backup: preparation, one capture per drive and category, split,
// catalog.
#pragma once

#include <vector>

#include "api/qxfilemgr.h"

struct BackupRequest {
    std::vector<CString>* fileList = nullptr;
    CString typeListFile;
    std::vector<CString>* categories = nullptr;
    CString destinationFolder;
    CString imageName;
    BOOL splitImage = FALSE;
    int splitSizeMB = 0;
    int compressionType = 0;
    std::vector<CString>* imageFiles = nullptr;
};

// The backup proper, inside the operation frame, of a list with at least one
// entry. Backup's result (api/qxfilemgr.h): 0 complete, 1 failed, otherwise a
// usable backup with QXFM_BACKUP_NOT_SPLIT and/or QXFM_BACKUP_FILES_LEFT_OUT.
int RunBackup(const BackupRequest& request);
