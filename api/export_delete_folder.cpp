// Export: DeleteFolder.
#include "api/drive_presence.h"
#include "api/qxfilemgr.h"
#include "restore/directories.h"

extern "C" QXFM_API int DeleteFolder(CString folder) {
    try {
        if (!DrivesPresent()) return 1;
        return DeleteFolderTree(folder);
    } catch (...) {
        return 1;
    }
}
