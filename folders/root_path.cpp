#include "folders/root_path.h"

#include <vector>

#include "services/path_parts.h"

namespace {

bool StartsWithDrive(const CString& path) {
    if (path.GetLength() < 2 || path[1] != u':') return false;
    WCHAR letter = QxToUpper(path[0]);
    return letter >= u'A' && letter <= u'Z';
}

// Components left below the first rootCount once "." and ".." are resolved.
size_t DepthBelowRoot(const std::vector<CString>& parts, size_t rootCount) {
    size_t depth = 0;
    for (size_t i = rootCount; i < parts.size(); ++i) {
        CString name = parts[i];
        name.TrimRight(u' ');
        if (name == u"..") {
            if (depth > 0) --depth;
        } else if (!IsDotsOnlyName(parts[i])) {
            ++depth;
        }
    }
    return depth;
}

}  // namespace

bool IsRootPath(const CString& path) {
    CString rest = path;
    bool prefixed = rest.GetLength() >= 4 && IsPathSeparator(rest[0]) && IsPathSeparator(rest[1]) &&
                    (rest[2] == u'?' || rest[2] == u'.') && IsPathSeparator(rest[3]);
    if (prefixed) rest = rest.Mid(4);

    if (StartsWithDrive(rest)) return DepthBelowRoot(PathComponents(rest.Mid(2), kPathSeparators), 0) == 0;
    std::vector<CString> parts = PathComponents(rest, kPathSeparators);
    if (prefixed) {
        // \\?\UNC\server\share\... or \\?\Volume{...}\...
        size_t rootCount = !parts.empty() && parts[0].CompareNoCase(u"UNC") == 0 ? 3 : 1;
        return DepthBelowRoot(parts, rootCount) == 0;
    }
    if (rest.GetLength() >= 2 && IsPathSeparator(rest[0]) && IsPathSeparator(rest[1]))
        return DepthBelowRoot(parts, 2) == 0;  // \\server\share\...
    if (!rest.IsEmpty() && IsPathSeparator(rest[0])) return DepthBelowRoot(parts, 0) == 0;

    WCHAR current[4096];
    DWORD length = GetCurrentDirectoryW(4096, current);
    if (length == 0 || length >= 4096) return true;  // cannot tell where it leads: refuse
    CString absolute(current);
    if (absolute.IsEmpty() || !(StartsWithDrive(absolute) || IsPathSeparator(absolute[0]))) return true;
    if (!IsPathSeparator(absolute[absolute.GetLength() - 1])) absolute += u'\\';
    return IsRootPath(absolute + rest);
}
