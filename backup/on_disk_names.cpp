#include "backup/on_disk_names.h"

#include "api/path_parts.h"

namespace {

// The stored name of the last component of path; empty when there is none
// (or when the name holds a wildcard, which a search would take as one).
CString StoredName(const CString& path) {
    const int at = path.ReverseFind(u'\\');
    if (at < 0 || path.Mid(at + 1).FindOneOf(u"*?") >= 0) return CString();
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WithLongPathPrefix(path), &found);
    if (search == INVALID_HANDLE_VALUE) return CString();
    FindClose(search);
    return found.cFileName;
}

}  // namespace

CString OnDiskNames::FolderOf(const CString& folder) {
    if (folder.GetLength() <= 2) return folder.Left(1).MakeUpper() + folder.Mid(1);  // "c:" -> "C:"
    auto cached = m_folders.find(folder.str());
    if (cached != m_folders.end()) return cached->second;
    CString stored = Of(folder);
    m_folders.emplace(folder.str(), stored);
    return stored;
}

CString OnDiskNames::Of(const CString& path) {
    const int at = path.ReverseFind(u'\\');
    if (at < 2 || path[1] != u':') return path;
    const CString name = StoredName(path);
    if (name.IsEmpty()) return path;
    return FolderOf(path.Left(at)) + u"\\" + name;
}
