// The spelling a file system gives a path: a host may name a file in another
// letter case than it is stored in, and the platform finds it all the same,
// while a capture offers every item under its stored name.
#pragma once

#include <string>
#include <unordered_map>

#include "atlstr.h"

class OnDiskNames {
public:
    // Looks up the file at path ("X:\..." form): *stored receives path with its
    // drive letter upper-cased and every name as it is stored, *size the
    // file's size. False, with *stored = path, when no file is found there.
    bool Find(const CString& path, CString* stored, ULONGLONG* size);

private:
    CString FolderOf(const CString& folder);

    std::unordered_map<std::u16string, CString> m_folders;  // folder as given -> as stored
};
