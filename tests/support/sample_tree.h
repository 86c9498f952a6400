// A generated tree of user files on two test drives, with the type list that sorts them.
#pragma once

#include <string>
#include <vector>

#include "testhost.h"

namespace qxtest {

struct SampleFile {
    CString path;         // Windows path on a test drive
    std::string content;
    CString category;     // the category the file belongs to, or "OTHERS"
};

struct SampleTree {
    std::vector<SampleFile> files;
    CString typeList;     // Windows path of the type list file
    std::vector<CString> Paths() const;
    const SampleFile* Find(const CString& path) const;
};

// Deterministic bytes that do not compress.
std::string NoiseBytes(size_t size, unsigned seed);

// Writes documents, pictures and music on drives C: and D: (and an OTHERS file),
// two files with over-length paths, and, when bigFileBytes > 0, one big file of
// that size in the video category. The type list goes to C:\types.txt.
SampleTree MakeSampleTree(const TestDrives& drives, size_t bigFileBytes = 0);

// Byte-compares every listed file with its source on the drives; returns the
// paths that differ or are missing (as Windows paths).
std::vector<CString> ChangedFiles(const TestDrives& drives, const SampleTree& tree);

}  // namespace qxtest
