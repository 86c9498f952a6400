#include "backup/on_disk_names.h"

namespace {

bool IsLink(const DiskEntry& entry) { return (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

}  // namespace

const OnDiskNames::Folder& OnDiskNames::FolderOf(const CString& folder) {
    auto cached = m_folders.find(folder.str());
    if (cached != m_folders.end()) return cached->second;
    Folder entry;
    const int at = folder.ReverseFind(u'\\');
    DiskEntry found;
    if (folder.GetLength() <= 2) {
        entry.stored = folder.Left(1).MakeUpper() + folder.Mid(1);  // "c:" -> "C:"
    } else if (at > 1 && LookUpDiskEntry(folder, &found)) {
        const Folder& parent = FolderOf(folder.Left(at));
        entry.stored = parent.stored + u"\\" + found.name;
        entry.link = !parent.link.IsEmpty() ? parent.link : IsLink(found) ? entry.stored : CString();
    } else {
        entry.stored = folder;
    }
    return m_folders.emplace(folder.str(), entry).first->second;
}

bool OnDiskNames::Find(const CString& path, const DiskEntry* entry, CString* stored, ULONGLONG* size,
                       CString* link) {
    *stored = path;
    const int at = path.ReverseFind(u'\\');
    if (at < 2 || path[1] != u':' || !entry || (entry->attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const Folder& folder = FolderOf(path.Left(at));
    *stored = folder.stored + u"\\" + entry->name;
    *size = entry->size;
    *link = !folder.link.IsEmpty() ? folder.link : IsLink(*entry) ? *stored : CString();
    return true;
}
