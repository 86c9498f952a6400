// libQXFileMgr.so loaded at run time through its plain export names, as a host
// application loads it.
#pragma once

#include <string>

#include "qxfilemgr.h"

namespace qxfm {

struct Module {
    // Loads the module; on failure returns false with the reason in *error.
    bool Load(std::string* error);
    ~Module();

    void* handle = nullptr;
    PFN_SetExclusionFileList SetExclusionFileList = nullptr;
    PFN_ScanFileArraySizeByPredefinedType ScanFileArraySizeByPredefinedType = nullptr;
    PFN_GetFileArrayByPredefinedType GetFileArrayByPredefinedType = nullptr;
    PFN_Backup Backup = nullptr;
    PFN_BackupRaw BackupRaw = nullptr;
    PFN_Restore Restore = nullptr;
    PFN_IsDataValid IsDataValid = nullptr;
    PFN_GetCategoriesFromSerializationData GetCategoriesFromSerializationData = nullptr;
    PFN_DeleteFolder DeleteFolder = nullptr;
};

}  // namespace qxfm
