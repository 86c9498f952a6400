// The named lock "Mutex_Operation" that serialises the long operations, also across processes.
#pragma once

#include "windows.h"

class OperationLock {
public:
    OperationLock() = default;
    OperationLock(const OperationLock&) = delete;
    OperationLock& operator=(const OperationLock&) = delete;
    ~OperationLock() { Release(); }

    // Creates the mutex. False when it already existed: another operation runs
    // (the handle is closed again at once).
    bool Acquire();
    // ReleaseMutex and CloseHandle; safe to call more than once.
    void Release();

private:
    HANDLE m_hMutex = nullptr;
};

// A locked operation refused because another runs: logs the conflict, closes
// the debug log when the operation had opened it, and posts -229.
void ReportOperationConflict(bool dbgLogOpened);
