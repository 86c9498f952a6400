#include "api/operation_frame.h"
#include "restore/restore_operation.h"

int Restore(HWND* hostWindow, CString backupFolder, std::vector<CString>* categories, CString restoreTarget,
            ContinueCallback continueCallback) {
    return RunOperation(OP_RESTORE, hostWindow, continueCallback, [&](OperationFrame& frame) {
        if (!frame.Lock()) return false;
        frame.Start();
        return RunRestore(backupFolder, categories, restoreTarget);
    });
}
