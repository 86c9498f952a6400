#include "services/operation_lock.h"

#include "services/dbglog.h"
#include "services/drive_presence.h"
#include "services/report_error.h"

namespace {

const WCHAR* const kOperationMutexName = u"Mutex_Operation";

}  // namespace

// Exclusion rests on the named object existing while a handle is open; the
// mutex is never owned. A mutex that cannot be created gives no exclusion, so
// it counts as taken as well.
bool OperationLock::Acquire() {
    Release();
    if (GetLogicalDriveStringsW(0, nullptr) == 0) return false;
    SetLastError(ERROR_SUCCESS);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kOperationMutexName);
    const DWORD error = GetLastError();
    if (!mutex) return false;
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    m_hMutex = mutex;
    return true;
}

void OperationLock::Release() {
    if (!m_hMutex) return;
    ReleaseMutex(m_hMutex);
    CloseHandle(m_hMutex);
    m_hMutex = nullptr;
}

void ReportOperationRefused(bool dbgLogOpened) {
    if (DrivesPresent()) {
        ReportError(MSG_ERROR_OPERATION_CONFLICT);
    }
    if (dbgLogOpened) CloseDbgLog();
}
