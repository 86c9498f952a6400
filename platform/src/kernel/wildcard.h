// File name patterns as FindFirstFileW takes them ("*", "?", "*.*", "*.").
#pragma once

#include <string>

#include "windows.h"

class QxWildcard {
public:
    explicit QxWildcard(const std::u16string& pattern);
    // Name compared ignoring case; upperName is already upper-cased.
    bool Matches(const std::u16string& upperName) const;
    bool Matches(const WCHAR* upperName, size_t length) const;
    bool MatchesAll() const { return m_all; }

    static bool HasWildcards(const std::u16string& text);

private:
    std::u16string m_expr;  // upper case, with the DOS forms of ?, . and *
    bool m_all = false;
};
