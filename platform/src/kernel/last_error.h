// Win32 last-error helpers of the platform layer.
#pragma once

#include "windows.h"

// The Win32 code that corresponds to an errno value (ENOENT gives ERROR_FILE_NOT_FOUND).
DWORD QxWin32FromErrno(int err);

// Sets the thread's last error and returns FALSE, for one-line failure exits.
inline BOOL QxFail(DWORD code) {
    SetLastError(code);
    return FALSE;
}
