// Kernel-object handles of the platform layer: every HANDLE that CloseHandle
// accepts points to a QxHandle (files, volume devices, mutexes).
#pragma once

#include "windows.h"

struct QxHandle {
    virtual ~QxHandle() = default;
    // Releases the object's resources; false with the last error set on failure.
    virtual bool Close() { return true; }
};

// The QxHandle behind a HANDLE, or nullptr for a null or invalid handle.
inline QxHandle* QxHandleFrom(HANDLE h) {
    return h && h != INVALID_HANDLE_VALUE ? static_cast<QxHandle*>(h) : nullptr;
}
