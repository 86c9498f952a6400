#include "wildcard.h"

#include <vector>

#include "atlstr.h"

namespace {
// The DOS forms the file system matches: "?" before a dot or the end may
// match nothing, "." before a wildcard may match the end of a name, "*"
// before a dot stops at the last dot of a name.
constexpr WCHAR kDosStar = u'<';
constexpr WCHAR kDosQm = u'>';
constexpr WCHAR kDosDot = u'"';
}  // namespace

bool QxWildcard::HasWildcards(const std::u16string& text) {
    return text.find_first_of(u"*?<>\"") != std::u16string::npos;
}

QxWildcard::QxWildcard(const std::u16string& pattern) {
    m_all = pattern == u"*" || pattern == u"*.*";
    for (size_t i = 0; i < pattern.size(); ++i) {
        WCHAR c = pattern[i];
        WCHAR next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
        if (c == u'?') c = kDosQm;
        else if (c == u'.' && (next == u'?' || next == u'*' || next == 0)) c = kDosDot;
        else if (c == u'*' && next == u'.') c = kDosStar;
        else c = QxToUpper(c);
        m_expr += c;
    }
}

bool QxWildcard::Matches(const std::u16string& upperName) const { return Matches(upperName.data(), upperName.size()); }

bool QxWildcard::Matches(const WCHAR* name, size_t n) const {
    if (m_all) return true;
    size_t lastDot = n;
    for (size_t k = n; k-- > 0;)
        if (name[k] == u'.') {
            lastDot = k;
            break;
        }
    // reach[j]: the expression so far can match the first j characters.
    std::vector<char> reach(n + 1, 0), next(n + 1, 0);
    reach[0] = 1;
    for (WCHAR c : m_expr) {
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (size_t j = 0; j <= n; ++j) {
            if (!reach[j]) continue;
            switch (c) {
            case u'*':
                for (size_t k = j; k <= n; ++k) next[k] = 1;
                break;
            case kDosStar: {
                size_t end = j <= lastDot ? lastDot : n;
                for (size_t k = j; k <= end; ++k) next[k] = 1;
                break;
            }
            case kDosQm:
                if (j == n || name[j] == u'.') next[j] = 1;
                else next[j + 1] = 1;
                break;
            case kDosDot:
                if (j == n) next[j] = 1;
                else if (name[j] == u'.') next[j + 1] = 1;
                break;
            default:
                if (j < n && name[j] == c) next[j + 1] = 1;
                break;
            }
        }
        reach.swap(next);
        for (char r : reach) any = any || r;
        if (!any) return false;
    }
    return reach[n] != 0;
}
