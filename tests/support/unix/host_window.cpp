// The personality's message-only windows keep every posted message in their
// queue; nothing is handed to a procedure.
#include "testhost.h"

namespace qxtest {

HWND CreateHostWindow(std::vector<MSG>*) {
    return CreateWindowExW(0, u"STATIC", u"qxfm test host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

}  // namespace qxtest
