// wimlib under the WIMGAPI layer: one-time setup, its error texts, and its
// error codes as Win32 last-error values.
#pragma once

#include <new>

#include "windows.h"

// Initialises wimlib once per process; its messages are kept in memory for
// QxTakeWimLibraryMessages, never printed to stdout or stderr.
void EnsureWimLibrary();

// Sets the thread's last error for a failed wimlib call; errnoValue is errno
// as it was right after the call. Returns the Win32 code.
DWORD SetLastErrorFromWimlib(int wimlibError, int errnoValue);

// Runs the body of an exported call; an exception becomes failure with a last error.
template <class R, class Body>
R GuardWimCall(R failure, Body&& body) {
    try {
        EnsureWimLibrary();
        return body();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        SetLastError(ERROR_GEN_FAILURE);
    }
    return failure;
}
