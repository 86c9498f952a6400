// A failure told both ways: its line in the debug log, then its code posted to the host.
#pragma once

#include "services/state.h"

// The line is the code's text formatted with the arguments; lParam is 0.
void ReportError(int code, ...);
// The line is the code's text with path, and path goes to the host as well
// (a BSTR in lParam).
void ReportErrorPath(int code, const CString& path);
// The line is the code's text with path; the code goes only to a host of the
// extended protocol (PostExtendedError).
void ReportExtendedError(int code, const CString& path);
