#include "largefiles/relocation.h"

#include "api/path_parts.h"

namespace {

// A relative path none of whose names leads to the folder itself or up.
bool StaysBelow(const CString& rest) {
    if (rest.IsEmpty() || IsPathSeparator(rest[0]) || rest.Find(u':') >= 0) return false;
    for (const CString& name : PathComponents(rest, kPathSeparators))
        if (IsDotsOnlyName(name)) return false;
    return !IsPathSeparator(rest[rest.GetLength() - 1]);
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
