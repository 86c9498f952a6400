// Export: DeleteFolder.
#include "services/drive_presence.h"
#include "api/qxfilemgr.h"
#include "folders/directories.h"

extern "C" QXFM_API int DeleteFolder(CString folder) {
    try {
        if (!DrivesPresent()) return 1;
        return DeleteFolderTree(folder) ? 0 : 1;
    } catch (...) {
        return 1;
    }
}
