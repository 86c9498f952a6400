// A hook on the test thread sees each message box become active, keeps its
// text and closes it, as a user pressing OK would. Built into every test
// program (not taken from the support library, which links only what a
// program calls), so that no box waits for a user in a program that never
// asks for the text.
#include "testhost.h"
#include "windows.h"

namespace qxtest {
namespace {

// The message box's text control, as on Windows.
constexpr int kTextControl = 0xFFFF;

CString g_lastText;
HHOOK g_hook = nullptr;

LRESULT CALLBACK CloseMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        WCHAR className[16] = {};
        GetClassNameW(window, className, 16);
        if (CString(className) == u"#32770") {
            WCHAR text[4096] = {};
            GetDlgItemTextW(window, kTextControl, text, 4096);
            g_lastText = text;
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

struct HookForThisThread {
    HookForThisThread() { g_hook = SetWindowsHookExW(WH_CBT, CloseMessageBoxes, nullptr, GetCurrentThreadId()); }
} g_hookForThisThread;

}  // namespace

CString LastMessageBoxText() { return g_lastText; }

}  // namespace qxtest
