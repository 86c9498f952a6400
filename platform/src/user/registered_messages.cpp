// RegisterWindowMessageW: one id per name (letter case ignored) for the whole
// process, from 0xC000 upward.
#include <map>
#include <mutex>
#include <string>

#include "atlstr.h"

namespace {

constexpr UINT kFirstRegisteredMessage = 0xC000;
constexpr UINT kLastRegisteredMessage = 0xFFFF;
constexpr size_t kMaxNameLength = 255;  // the limit of an atom name

struct Registry {
    std::mutex lock;
    std::map<std::u16string, UINT> ids;
    UINT next = kFirstRegisteredMessage;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;  // never destroyed: usable until exit
    return *registry;
}

}  // namespace

UINT RegisterWindowMessageW(LPCWSTR lpString) {
    size_t length = 0;
    while (lpString && lpString[length] && length <= kMaxNameLength) ++length;
    if (length == 0 || length > kMaxNameLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        std::u16string key(lpString, length);
        for (char16_t& ch : key) ch = QxToUpper(ch);
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> guard(registry.lock);
        auto found = registry.ids.find(key);
        if (found != registry.ids.end()) return found->second;
        if (registry.next > kLastRegisteredMessage) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        UINT id = registry.next++;
        registry.ids.emplace(std::move(key), id);
        return id;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
