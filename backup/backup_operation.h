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
// entry. True when at least one image was captured, every split step that was
// not given up succeeded and the catalog was saved; *flags is then 0, or
// QXFM_BACKUP_NOT_SPLIT and/or QXFM_BACKUP_FILES_LEFT_OUT for a usable backup
// that is not all that was asked for.
bool RunBackup(const BackupRequest& request, int* flags);
