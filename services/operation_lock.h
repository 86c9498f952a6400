// The named lock "Mutex_Operation" that serialises the long operations, also across processes.
#pragma once

#include "services/scoped_handle.h"
#include "windows.h"

class OperationLock {
public:
    OperationLock() = default;
    OperationLock(const OperationLock&) = delete;
    OperationLock& operator=(const OperationLock&) = delete;
    ~OperationLock() { Release(); }

    // Creates the mutex. False when there is no drive to work on, or when it
    // already existed: another operation runs (the handle is closed again at once).
    bool Acquire();
    // Releases and closes the mutex; safe to call more than once.
    void Release();

private:
    ScopedKernelObject m_mutex;
};

// A locked operation refused: logs and posts why (no drive to work on, or
// another operation runs: -229) and closes the debug log when the operation
// had opened it.
void ReportOperationRefused(bool dbgLogOpened);
