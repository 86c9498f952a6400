// The files stored in one image as a listing shows them: a big file that the
// backup cut into pieces (NAME.000, NAME.001 ... beside it, the file itself
// not stored) appears once, under its own name with its whole size.
#pragma once

#include <vector>

#include "atlstr.h"
#include "windows.h"

namespace qxfm {

struct StoredFile {
    CString path;
    ULONGLONG size = 0;
    FILETIME written{};
    DWORD attributes = 0;
    std::vector<CString> pieces;  // the stored pieces of a big file, in order; empty for a plain file
};

// Collects the files (not folders) that WIM_MSG_FILEINFO reports.
class StoredFileList {
public:
    void Add(const CString& path, const WIN32_FIND_DATAW& data);
    // The files in stored order, the pieces of each big file joined into one entry.
    std::vector<StoredFile> Joined() const;

private:
    std::vector<StoredFile> m_files;
};

// The entry of a joined list that holds path, itself or as one of its pieces; null when none does.
const StoredFile* OwnerOf(const std::vector<StoredFile>& joined, const CString& path);

}  // namespace qxfm
