// A window class whose procedure keeps the messages it is handed: a message
// box shown during an operation runs a loop that hands the window what was
// posted to it, as a real host's window procedure would get it.
#include "testhost.h"
#include "windows.h"

namespace qxtest {
namespace {

const WCHAR kClassName[] = u"QxfmTestHost";

LRESULT CALLBACK KeepMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The module's messages are registered ones, above every system message.
    if (message >= 0xC000) {
        auto* delivered = reinterpret_cast<std::vector<MSG>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        MSG msg = {};
        msg.hwnd = window;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        if (delivered) delivered->push_back(msg);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreateHostWindow(std::vector<MSG>* delivered) {
    static const ATOM registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = KeepMessages;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass);
    }();
    HWND window = CreateWindowExW(0, kClassName, u"qxfm test host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (registered && window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(delivered));
    return window;
}

}  // namespace qxtest
