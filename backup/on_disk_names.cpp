#include "backup/on_disk_names.h"

#include "services/file_utils.h"
#include "services/path_parts.h"

namespace {

// The directory entry of path itself, never one its name matches as a pattern.
bool EntryOf(const CString& path, WIN32_FIND_DATAW* found) { return FindNamedEntry(WithLongPathPrefix(path), found); }

}  // namespace

CString OnDiskNames::FolderOf(const CString& folder) {
    if (folder.GetLength() <= 2) return folder.Left(1).MakeUpper() + folder.Mid(1);  // "c:" -> "C:"
    auto cached = m_folders.find(folder.str());
    if (cached != m_folders.end()) return cached->second;
    const int at = folder.ReverseFind(u'\\');
    WIN32_FIND_DATAW found;
    CString stored = at > 1 && EntryOf(folder, &found) ? FolderOf(folder.Left(at)) + u"\\" + found.cFileName : folder;
    m_folders.emplace(folder.str(), stored);
    return stored;
}

bool OnDiskNames::Find(const CString& path, CString* stored, ULONGLONG* size) {
    *stored = path;
    const int at = path.ReverseFind(u'\\');
    WIN32_FIND_DATAW found;
    if (at < 2 || path[1] != u':' || !EntryOf(path, &found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    *stored = FolderOf(path.Left(at)) + u"\\" + found.cFileName;
    *size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return true;
}
