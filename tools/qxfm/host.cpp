#include "host.h"

#include "cancel.h"
#include "code_text.h"

namespace qxfm {
namespace {

Host* g_host = nullptr;

std::string TakeBstr(LPARAM value) {
    BSTR text = reinterpret_cast<BSTR>(value);
    std::string out = CString(text).ToUtf8();
    SysFreeString(text);
    return out;
}

}  // namespace

Host::Host() { g_host = this; }

Host::~Host() {
    if (m_window) {
        Drain();
        DestroyWindow(m_window);
    }
    g_host = nullptr;
}

bool Host::Open(std::string* error) {
    if (!m_module.Load(error)) return false;
    // qxfm names the files of each error and tells a backup not split from
    // one with files left out: the extended protocol carries both.
    if (m_module.SetHostProtocol(QXFM_PROTOCOL_EXTENDED) != 0) {
        *error = "the module does not speak the extended host protocol";
        return false;
    }
    m_progressInt = RegisterWindowMessageW(QXFM_PROGRESS_INT_MESSAGE);
    m_progressStr = RegisterWindowMessageW(QXFM_PROGRESS_STR_MESSAGE);
    m_operationStr = RegisterWindowMessageW(QXFM_OPERATION_STR_MESSAGE);
    m_errorStr = RegisterWindowMessageW(QXFM_ERROR_STR_MESSAGE);
    m_window = CreateWindowExW(0, u"STATIC", u"qxfm", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!m_window) *error = "cannot create the host window";
    return m_window != nullptr;
}

int CALLBACK Host::Continue(int*) {
    if (g_host) g_host->Drain();
    return CancelRequestedAtCallback() ? 0 : 1;
}

void Host::Drain() {
    MSG msg;
    while (PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE)) {
        const long long code = static_cast<long long>(static_cast<LONG_PTR>(msg.wParam));
        if (msg.message == m_progressInt) {
            m_display.Progress(static_cast<int>(code), static_cast<int>(msg.lParam));
        } else if (msg.message == m_progressStr) {
            if (msg.wParam) m_display.CurrentFile(TakeBstr(static_cast<LPARAM>(msg.wParam)));
            ++m_filesReported;
        } else if (msg.message == m_operationStr) {
            if (QxfmWParamIsText(msg.wParam)) {
                m_display.Warning(ConstantText(reinterpret_cast<const WCHAR*>(msg.wParam)));
                continue;
            }
            if (code == QXFM_OPERATION_FILES_STORED || code == QXFM_OPERATION_BYTES_STORED) {
                (code == QXFM_OPERATION_FILES_STORED ? m_stored.files : m_stored.bytes) =
                    static_cast<unsigned long long>(msg.lParam);
                continue;
            }
            if (code == QXFM_OPERATION_BYTES_TO_STORE) {
                m_display.SetTotalBytes(static_cast<unsigned long long>(msg.lParam));
                continue;
            }
            std::string payload;
            if (msg.lParam && QxfmOperationLParamIsString(static_cast<int>(code), QXFM_PROTOCOL_EXTENDED))
                payload = TakeBstr(msg.lParam);
            if (code == QXFM_OPERATION_FILE_EXCLUDED || code == QXFM_OPERATION_FILE_OF_NO_CATEGORY) {
                m_namedFiles.push_back({code, payload});
                continue;
            }
            if (code == QXFM_OPERATION_RESTORE_FOLDER) {
                m_restoreFolder = payload;
                continue;
            }
            if (code == MSG_OPERATION_SCAN_DRIVE) m_namedFiles.push_back({code, payload});
            m_display.Operation(OperationText(static_cast<int>(code), payload));
        } else if (msg.message == m_errorStr) {
            std::string text;
            if (!QxfmWParamIsText(msg.wParam)) ++m_errorsPosted[code];
            if (QxfmWParamIsText(msg.wParam)) {
                text = ConstantText(reinterpret_cast<const WCHAR*>(msg.wParam));
            } else if (msg.lParam && QxfmErrorLParamIsString(static_cast<int>(code), QXFM_PROTOCOL_EXTENDED)) {
                const std::string path = TakeBstr(msg.lParam);
                const long long systemError = code == MSG_ERROR_WIM_MSG_ERROR ? m_lastSystemError : 0;
                text = ErrorText(code, path, systemError);
                m_namedFiles.push_back({code, path, systemError});
            } else {
                if (code > 0) m_lastSystemError = code;
                text = ErrorText(code, "", static_cast<long long>(msg.lParam));
            }
            if (m_ignored != 0 && code == m_ignored) continue;
            m_display.Warning(text);
            m_lastError = text;
            m_lastErrorCode = code;
        }
    }
}

size_t Host::ErrorsPosted(long long code) const {
    const auto found = m_errorsPosted.find(code);
    return found == m_errorsPosted.end() ? 0 : found->second;
}

std::string Host::TakeLastError(long long* code) {
    if (code) *code = m_lastErrorCode;
    m_lastErrorCode = 0;
    std::string out;
    out.swap(m_lastError);
    return out;
}

}  // namespace qxfm
