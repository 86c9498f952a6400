// What a test looks at around an operation: every entry of a host tree, and a
// small file system mounted for a fill-up test.
#pragma once

#include <string>
#include <vector>

namespace qxtest {

// One line per entry below root, sorted, links not followed: the relative
// path, then "dir", "link <target>" or "file <size> <mtime ns> <content hash>".
// Entries whose relative path begins with one of skip are left out, with
// everything below them.
std::vector<std::string> ListTree(const std::string& root, const std::vector<std::string>& skip = {});

// A tmpfs of the given size ("4m") mounted on folder (created when missing),
// unmounted at destruction even when the test failed.
class TmpfsMount {
public:
    TmpfsMount(const std::string& folder, const std::string& size);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool mounted() const { return m_mounted; }

private:
    std::string m_folder;
    bool m_mounted = false;
};

}  // namespace qxtest
