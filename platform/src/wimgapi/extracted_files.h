// What a failed or cancelled extraction leaves: files it created but did not
// finish (cut short when the disk filled, or zero-filled past what was
// written into room reserved for them). A finished file carries its stored
// size and last-write time, which the extraction sets only after its data.
#pragma once

#include <wimlib.h>

#include <functional>
#include <string>
#include <vector>

#include "atlstr.h"

class QxExtractedFiles {
public:
    explicit QxExtractedFiles(std::string targetHost) : m_target(std::move(targetHost)) {}

    // Notes a regular file of the image before the extraction, with its
    // Windows path; a file already at its place is not the extraction's.
    void Note(const struct wimlib_dir_entry& entry, const CString& winPath);
    // Removes every noted file the extraction created but did not finish, and
    // hands each one's Windows path to removed.
    void RemoveUnfinished(const std::function<void(const CString&)>& removed) const;

private:
    struct File {
        std::string hostPath;
        CString winPath;
        uint64_t size;
        int64_t seconds;  // last write, since 1970
        int32_t nanoseconds;
    };
    std::string m_target;
    std::vector<File> m_files;
};
