// The files an apply is to make, as WIM_MSG_FILEINFO announces them with their
// stored size and last-write time. WIMGAPI keeps what a failed or cancelled
// apply wrote: files cut short when the disk filled, or created and not yet
// written; a finished file carries its stored size and last-write time, which
// the apply sets only after its data.
#pragma once

#include <functional>
#include <vector>

#include "atlstr.h"
#include "windows.h"

class AppliedFiles {
public:
    void Clear() { m_files.clear(); }
    // Notes a file the apply announced (its folders are not noted). The apply
    // writes into a folder of its own, so every file there is its own.
    void Note(const CString& path, const WIN32_FIND_DATAW& stored);
    // Removes every noted file that stands unfinished, and hands each one's
    // path to removed.
    void RemoveUnfinished(const std::function<void(const CString&)>& removed) const;

private:
    struct File {
        CString path;
        ULONGLONG size;
        FILETIME lastWrite;
    };
    std::vector<File> m_files;
};
