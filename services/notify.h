// Notifications posted to the host window (never sent synchronously).
#pragma once

#include "services/state.h"

// PostMessageW to *g_pHostWnd when g_pHostWnd is set; otherwise nothing.
void NotifyHost(UINT message, WPARAM wParam, LPARAM lParam);

// The notifications with their payloads. A path goes out as a newly allocated
// BSTR that the receiver frees; it is allocated only when a window is stored.
void PostProgress(UINT percent, int phase);
void PostProgressPath(const CString& path);
void PostOperation(int code);
void PostOperationPath(int code, const CString& path);
void PostError(int code, LPARAM lParam = 0);
// The host's protocol decides the payload of an error about a path: the path
// where that protocol carries one (QxfmErrorLParamIsString), otherwise the
// documented lParam (0, or the system error code of -235).
void PostErrorPath(int code, const CString& path, LPARAM documentedLParam = 0);
// Each path where the protocol carries paths; otherwise one notification with
// the documented lParam, however many paths there are.
void PostErrorPaths(int code, const std::vector<CString>& paths, LPARAM documentedLParam = 0);
// Notifications only the extended protocol carries (a host of the
// documented one learns it from the debug log alone).
void PostExtendedError(int code);
void PostExtendedOperation(int code, LPARAM lParam);
void PostExtendedOperationPath(int code, const CString& path);
// ErrorStrMessage with a system error code (the exception handlers' report),
// by default the thread's last one. A handler that releases or closes anything
// first takes the code on entry, since those calls overwrite it.
void PostLastSystemError(DWORD code = GetLastError());
// A notification whose wParam is the address of one of the module's constant texts.
void PostErrorText(const WCHAR* text);
void PostOperationText(const WCHAR* text);
