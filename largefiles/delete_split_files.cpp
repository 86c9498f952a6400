// Removal of the pieces of big files.
#include "services/file_utils.h"
#include "largefiles/big_files.h"

bool DeleteSplitFiles(const FileNode* node) {
    if (!node || node->splitPathArray.empty()) return false;
    // A missing piece must not find another file whose name differs only in case.
    for (const CString& piece : node->splitPathArray)
        if (IsExistingFileAsSpelled(piece)) DeleteFileForced(piece);
    return true;
}

void DeleteAllSplitFiles(const CQXSerialization& catalog) {
    for (const FileNode& node : catalog.m_arBigFile) DeleteSplitFiles(&node);
}
