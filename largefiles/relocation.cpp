#include "largefiles/relocation.h"

namespace {

bool IsSeparator(WCHAR ch) { return ch == u'\\' || ch == u'/'; }

// A name that Windows would resolve to the folder itself or its parent
// (trailing dots and spaces are dropped from names).
bool IsDotName(const CString& text, int start, int end) {
    if (start == end) return false;
    for (int i = start; i < end; ++i)
        if (text[i] != u'.' && text[i] != u' ') return false;
    return true;
}

bool StaysBelow(const CString& rest) {
    if (rest.IsEmpty() || IsSeparator(rest[0]) || rest.Find(u':') >= 0) return false;
    int start = 0;
    for (int i = 0; i <= rest.GetLength(); ++i) {
        if (i < rest.GetLength() && !IsSeparator(rest[i])) continue;
        if (IsDotName(rest, start, i)) return false;
        start = i + 1;
    }
    return !IsSeparator(rest[rest.GetLength() - 1]);
}

}  // namespace

bool RelocateBelow(const CString& target, const CString& drive, const CString& path, CString* relocated) {
    CString rest = path;
    if (!drive.IsEmpty() && path.Left(drive.GetLength()).CompareNoCase(drive) == 0)
        rest = path.Mid(drive.GetLength());
    if (!StaysBelow(rest)) return false;
    *relocated = target + rest;
    return true;
}
