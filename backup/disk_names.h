// The names of a path's folders and file as the file system spells them.
#pragma once

#include <vector>

#include "atlstr.h"

struct DiskEntry {
    CString name;
    DWORD attributes = 0;
    ULONGLONG size = 0;
};

// The directory entry of path itself (FindNamedEntry); false when there is none.
bool LookUpDiskEntry(const CString& path, DiskEntry* entry);

// Looks full paths ("C:\a\b\c.txt") up level by level and keeps the folder
// levels of the last one: the files of one folder, listed one after another,
// cost one look-up each.
class CDiskNames {
public:
    // The entries of every level below the drive, the file last; false when
    // a level does not exist or a name holds a wildcard (no name holds one).
    bool Lookup(const CString& fullPath, std::vector<DiskEntry>* levels);

private:
    CString m_folder;                 // folder of the last path, as given
    std::vector<CString> m_given;     // its names as given
    std::vector<DiskEntry> m_entries; // and as found
};
