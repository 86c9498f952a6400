#include "services/operation_lock.h"

#include <utility>

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
    ScopedKernelObject mutex(CreateMutexW(nullptr, FALSE, kOperationMutexName));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return false;
    m_mutex = std::move(mutex);
    return true;
}

void OperationLock::Release() {
    if (!m_mutex) return;
    ReleaseMutex(m_mutex.get());
    m_mutex.reset();
}

void ReportOperationRefused(bool dbgLogOpened) {
    if (DrivesPresent()) {
        ReportError(MSG_ERROR_OPERATION_CONFLICT);
    }
    if (dbgLogOpened) CloseDbgLog();
}
