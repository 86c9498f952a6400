#include "services/contained_path.h"

#include "services/dbglog.h"
#include "services/file_utils.h"
#include "services/notify.h"
#include "services/path_parts.h"

namespace {

// A relative path none of whose names leads to the folder itself or up.
bool StaysBelow(const CString& rest) {
    if (rest.IsEmpty() || IsPathSeparator(rest[0]) || rest.Find(u':') >= 0) return false;
    for (const CString& name : PathComponents(rest, kPathSeparators))
        if (IsDotsOnlyName(name)) return false;
    return !IsPathSeparator(rest[rest.GetLength() - 1]);
}

bool StartsWith(const CString& path, const CString& root) {
    return path.GetLength() > root.GetLength() && path.Left(root.GetLength()) == root;
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

PathBelow CheckBelow(const CString& root, const CString& path) {
    PathBelow result;
    result.stop = path;
    const bool rooted = !root.IsEmpty() && root[root.GetLength() - 1] == u'\\';
    if (!rooted || !StartsWith(path, root)) return result;
    CString rest = path.Mid(root.GetLength());
    if (rest[rest.GetLength() - 1] == u'\\') rest = rest.Left(rest.GetLength() - 1);  // a folder path
    if (!StaysBelow(rest)) return result;
    CString level = root;
    for (const CString& name : PathComponents(rest, kPathSeparators)) {
        if (!level.IsEmpty() && level[level.GetLength() - 1] != u'\\') level += u'\\';
        level += name;
        WIN32_FIND_DATAW data;
        if (!FindAsSpelled(level, &data)) {
            result.firstMissing = level;  // nothing deeper exists either
            break;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            result.refusal = PathBelow::Link;
            result.stop = level;
            result.reparseTag = data.dwReserved0;
            return result;
        }
    }
    result.refusal = PathBelow::None;
    result.stop.Empty();
    return result;
}

bool UsableBelow(const CString& root, const CString& path, int code) {
    const PathBelow below = CheckBelow(root, path);
    switch (below.refusal) {
    case PathBelow::None:
        return true;
    case PathBelow::Link:
        DbgLog(u"Refused %s: %s is a link or mount point (reparse tag 0x%08X)", path.GetString(),
               below.stop.GetString(), static_cast<unsigned>(below.reparseTag));
        break;
    case PathBelow::NotBelow:
        DbgLog(u"Refused %s: it does not lie below %s", path.GetString(), root.GetString());
        break;
    }
    PostError(code);
    return false;
}
