#include "handles.h"

BOOL CloseHandle(HANDLE hObject) {
    QxHandle* handle = QxHandleFrom(hObject);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    bool ok = handle->Close();
    delete handle;
    return ok ? TRUE : FALSE;
}
