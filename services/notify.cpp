#include "services/notify.h"

namespace {

// Posts a message that carries a newly allocated BSTR in wParam or lParam.
// The receiver owns the string; if the post fails it is freed here.
void PostWithString(UINT message, WPARAM wParam, LPARAM lParam, const CString& text, bool textInWParam) {
    if (!g_pHostWnd) return;
    BSTR str = text.AllocSysString();
    if (!str) return;
    if (textInWParam)
        wParam = reinterpret_cast<WPARAM>(str);
    else
        lParam = reinterpret_cast<LPARAM>(str);
    if (!PostMessageW(*g_pHostWnd, message, wParam, lParam)) SysFreeString(str);
}

WPARAM CodeParam(int code) { return static_cast<WPARAM>(static_cast<LONG_PTR>(code)); }

}  // namespace

void NotifyHost(UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_pHostWnd) PostMessageW(*g_pHostWnd, message, wParam, lParam);
}

void PostProgress(UINT percent, int phase) { NotifyHost(ProgressIntMessage, percent, phase); }

void PostProgressPath(const CString& path) { PostWithString(ProgressStrMessage, 0, 0, path, true); }

void PostOperation(int code) { NotifyHost(OperationStrMessage, CodeParam(code), 0); }

void PostOperationPath(int code, const CString& path) {
    PostWithString(OperationStrMessage, CodeParam(code), 0, path, false);
}

void PostError(int code, LPARAM lParam) { NotifyHost(ErrorStrMessage, CodeParam(code), lParam); }

void PostErrorPath(int code, const CString& path, LPARAM documentedLParam) {
    if (QxfmErrorLParamIsString(code, g_nHostProtocol))
        PostWithString(ErrorStrMessage, CodeParam(code), 0, path, false);
    else
        PostError(code, documentedLParam);
}

void PostErrorPaths(int code, const std::vector<CString>& paths, LPARAM documentedLParam) {
    if (!QxfmErrorLParamIsString(code, g_nHostProtocol)) return PostError(code, documentedLParam);
    for (const CString& path : paths) PostWithString(ErrorStrMessage, CodeParam(code), 0, path, false);
}

void PostExtendedError(int code) {
    if (g_nHostProtocol == QXFM_PROTOCOL_EXTENDED) PostError(code);
}

void PostExtendedOperation(int code, LPARAM lParam) {
    if (g_nHostProtocol == QXFM_PROTOCOL_EXTENDED) NotifyHost(OperationStrMessage, CodeParam(code), lParam);
}

void PostExtendedOperationPath(int code, const CString& path) {
    if (g_nHostProtocol == QXFM_PROTOCOL_EXTENDED) PostOperationPath(code, path);
}

void PostLastSystemError(DWORD code) { NotifyHost(ErrorStrMessage, code, 0); }

void PostErrorText(const WCHAR* text) { NotifyHost(ErrorStrMessage, reinterpret_cast<WPARAM>(text), 0); }

void PostOperationText(const WCHAR* text) { NotifyHost(OperationStrMessage, reinterpret_cast<WPARAM>(text), 0); }
