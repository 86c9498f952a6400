#include "api/qxfilemgr.h"
#include "restore/restore_operation.h"

int Restore(HWND* hostWindow, CString backupFolder, std::vector<CString>* categories, CString restoreTarget,
            ContinueCallback continueCallback) {
    try {
        return RunRestore(hostWindow, backupFolder, categories, restoreTarget, continueCallback);
    } catch (...) {
        return 1;
    }
}
