#include "selection/folder_scan.h"

namespace {

const WCHAR kWildcard[] = u"*";

// True when extension (upper case) starts with prefix, compared in upper case.
bool StartsWithUpper(const CString& extension, const WCHAR* prefix, int length) {
    if (length > extension.GetLength()) return false;
    for (int i = 0; i < length; ++i)
        if (extension[i] != QxToUpper(prefix[i])) return false;
    return true;
}

}  // namespace

bool MatchExtension(CString extension, const std::vector<CString>* patterns) {
    if (extension.IsEmpty() || !patterns) return false;
    extension.MakeUpper();
    for (const CString& pattern : *patterns) {
        const int star = pattern.Find(kWildcard);
        const int last = pattern.GetLength() - 1;
        if (pattern.IsEmpty() || star == last) {
            if (StartsWithUpper(extension, pattern.GetString(), pattern.IsEmpty() ? 0 : last)) return true;
        } else if (extension.CompareNoCase(pattern) == 0) {
            return true;
        }
    }
    return false;
}
