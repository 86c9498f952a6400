// Export: DeleteFolder.
#include "api/qxfilemgr.h"
#include "restore/directories.h"

extern "C" QXFM_API int DeleteFolder(CString folder) {
    try {
        return DeleteFolderTree(folder);
    } catch (...) {
        return 1;
    }
}
