#include "last_error.h"

#include <cerrno>

#include "qxplatform.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

DWORD QxSetLastErrorFromErrno(int err) {
    DWORD code = QxWin32FromErrno(err);
    SetLastError(code);
    return code;
}
