#include "backup/on_disk_names.h"

#include "services/file_utils.h"
#include "services/path_parts.h"

namespace {

// The directory entry of path itself (a search for a name with a wildcard in
// it would take that as one, so such a name is looked up as it is).
bool EntryOf(const CString& path, WIN32_FIND_DATAW* found) {
    const CString longPath = WithLongPathPrefix(path);
    if (path.Mid(path.ReverseFind(u'\\') + 1).FindOneOf(u"*?\"") < 0) return FindEntry(longPath, found);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(longPath, GetFileExInfoStandard, &data)) return false;
    *found = WIN32_FIND_DATAW{};
    found->dwFileAttributes = data.dwFileAttributes;
    found->nFileSizeHigh = data.nFileSizeHigh;
    found->nFileSizeLow = data.nFileSizeLow;
    const CString name = path.Mid(path.ReverseFind(u'\\') + 1);
    if (name.GetLength() >= MAX_PATH) return false;
    for (int i = 0; i <= name.GetLength(); ++i) found->cFileName[i] = i < name.GetLength() ? name[i] : 0;
    return true;
}

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
