// Removal of the pieces of big files.
#include "services/file_utils.h"
#include "largefiles/big_files.h"

int DeleteSplitFiles(const FileNode* node) {
    if (!node || node->splitPathArray.empty()) return 0;
    // A missing piece must not find another file whose name differs only in case.
    for (const CString& piece : node->splitPathArray)
        if (IsExistingFileAsSpelled(piece)) DeleteFileForced(piece);
    return 1;
}

int DeleteAllSplitFiles(const CQXSerialization& catalog) {
    for (const FileNode& node : catalog.m_arBigFile) DeleteSplitFiles(&node);
    return 1;
}
