// The demo's sample: a small tree of user files of every category and one big,
// poorly compressible video, written below a host folder.
#pragma once

#include <string>
#include <vector>

namespace qxfm {

struct SampleFile {
    std::string relativePath;  // with '/' separators
    unsigned long long size;
};

// Writes the sample below root; returns its files.
std::vector<SampleFile> WriteSampleTree(const std::string& root, unsigned long long bigFileBytes);

// True when both host files exist with the same bytes.
bool SameContent(const std::string& a, const std::string& b);

}  // namespace qxfm
