// The spelling a file system gives a path: a host may name a file in another
// letter case than it is stored in, and the platform finds it all the same,
// while a capture offers every item under its stored name. The look-up also
// tells whether the path runs through a link or mount point, which a capture
// keeps as a link without what lies behind it.
#pragma once

#include <string>
#include <unordered_map>

#include "atlstr.h"
#include "backup/disk_names.h"

class OnDiskNames {
public:
    // Names the file at path ("X:\..." form), whose own directory entry the
    // caller looked up (FindNamedEntry; nullptr when there is none): *stored
    // receives path with its drive letter upper-cased and every name as it is
    // stored, *size the file's size, *link the first entry on the way (the
    // file included) that is a link or mount point, or nothing. False, with
    // *stored = path, when no file is found there.
    bool Find(const CString& path, const DiskEntry* entry, CString* stored, ULONGLONG* size, CString* link);

private:
    struct Folder {
        CString stored;
        CString link;
    };
    const Folder& FolderOf(const CString& folder);

    std::unordered_map<std::u16string, Folder> m_folders;  // folder as given -> as stored
};
