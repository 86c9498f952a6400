// MessageBoxW without a screen: the caption and text go to stderr, the text is
// kept for tests, and the answer is always OK.
#include <cstdio>
#include <mutex>

#include "qxplatform.h"

namespace {

struct LastBox {
    std::mutex lock;
    CString text;
};

LastBox& TheLastBox() {
    static LastBox* box = new LastBox;  // never destroyed: usable until exit
    return *box;
}

}  // namespace

int MessageBoxW(HWND, LPCWSTR lpText, LPCWSTR lpCaption, UINT) {
    try {
        CString text(lpText);
        std::string line = CString(lpCaption).ToUtf8() + ": " + text.ToUtf8() + "\n";
        fputs(line.c_str(), stderr);
        LastBox& box = TheLastBox();
        std::lock_guard<std::mutex> guard(box.lock);
        box.text = text;
    } catch (...) {
    }
    return IDOK;
}

CString QxLastMessageBoxText() {
    LastBox& box = TheLastBox();
    std::lock_guard<std::mutex> guard(box.lock);
    return box.text;
}
