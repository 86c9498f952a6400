#include "services/report_error.h"

#include "services/dbglog.h"
#include "services/notify.h"

void ReportError(int code, ...) {
    va_list args;
    va_start(args, code);
    DbgLogV(ErrorText(code), args);
    va_end(args);
    PostError(code);
}

void ReportExtendedError(int code, const CString& path) {
    DbgLog(ErrorText(code), path.GetString());
    PostExtendedError(code);
}

void ReportErrorPath(int code, const CString& path) {
    DbgLog(ErrorText(code), path.GetString());
    PostErrorPath(code, path);
}
