// The records that describe a backup.
#pragma once

#include <vector>

#include "atlstr.h"

// One category of files.
struct TypeEntry {
    CString Category;              // upper-case name from the type list
    std::vector<CString> Extension; // patterns without dot; "X*" is a prefix pattern
    std::vector<int> IndexofImage;  // images holding files of this category
};

// One backed-up file.
struct FileNode {
    CString suszPath;                   // full path as found on disk
    std::vector<CString> splitPathArray; // pieces of a big file, in piece order
    ULONGLONG size = 0;
    CString Category;                   // category of the extension, or "OTHERS"
    CString Extension;                  // extension without the leading dot
    std::vector<int> IndexofImage;
};

// One drive of the backup.
struct DriveEntry {
    CString Drive;                   // "C:\" form, upper case
    std::vector<FileNode> arFileList; // kept in memory only; the catalog file stores the count
    std::vector<int> IndexofImage;
};

// Working record of one category during a backup (not persisted).
struct CategoryFiles {
    CString Category;
    std::vector<CString> arFileList;    // upper-case paths of the category's files
    std::vector<CString> arBigFileList; // upper-case paths of those cut into pieces
    int iOrder = 0;                     // 1-based order of first appearance
};
