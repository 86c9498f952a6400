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
// entry. 0 when at least one image was captured, every split step succeeded
// and the catalog was saved (QXFM_BACKUP_NOT_SPLIT when the image stayed
// whole); 1 otherwise.
int RunBackup(const BackupRequest& request);
