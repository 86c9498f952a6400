#include "backup/disk_names.h"

#include "services/file_utils.h"
#include "services/path_parts.h"

bool LookUpDiskEntry(const CString& path, DiskEntry* entry) {
    WIN32_FIND_DATAW data;
    if (!FindNamedEntry(WithLongPathPrefix(path), &data)) return false;
    entry->name = data.cFileName;
    entry->attributes = data.dwFileAttributes;
    entry->size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool CDiskNames::Lookup(const CString& fullPath, std::vector<DiskEntry>* levels) {
    levels->clear();
    const int lastSeparator = fullPath.ReverseFind(u'\\');
    if (fullPath.GetLength() < 3 || fullPath[1] != u':' || lastSeparator < 2) return false;
    const CString folder = fullPath.Left(lastSeparator);
    if (folder != m_folder) {
        // Levels shared with the last folder are known already.
        const std::vector<CString> given = PathComponents(folder.Mid(2));
        size_t known = 0;
        while (known < given.size() && known < m_given.size() && given[known] == m_given[known]) ++known;
        m_folder.Empty();
        m_given.resize(known);
        m_entries.resize(known);
        CString level = folder.Left(2);
        for (size_t i = 0; i < given.size(); ++i) {
            level += u"\\" + given[i];
            if (i < known) continue;
            DiskEntry entry;
            if (!LookUpDiskEntry(level, &entry)) return false;
            m_given.push_back(given[i]);
            m_entries.push_back(entry);
        }
        m_folder = folder;
    }
    DiskEntry file;
    if (!LookUpDiskEntry(fullPath, &file)) return false;
    *levels = m_entries;
    levels->push_back(file);
    return true;
}
