// Pieces shared by the calls that report to the message callbacks.
#pragma once

#include <climits>

#include "atlstr.h"
#include "wimgapi.h"
#include "wimgapi_host.h"

// base (a Windows folder, trailing backslash optional) + "\" + relative (a
// host or image path, in wimlib's text), whose separators become "\"; leading
// separators of relative are dropped.
CString JoinWindowsPath(const CString& base, const HostChar* relative);

// WIM_MSG_PROGRESS with the percent of the running call, sent only when it changes.
class ProgressReporter {
public:
    explicit ProgressReporter(HANDLE fileHandle) : m_fileHandle(fileHandle) {}
    // Returns the callbacks' answer (WIM_MSG_SUCCESS when nothing was sent).
    DWORD Report(unsigned long long done, unsigned long long total);

private:
    HANDLE m_fileHandle;
    UINT m_last = UINT_MAX;
};
