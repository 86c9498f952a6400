// A small file system for tests of a full destination (Linux, as root).
#pragma once

#include <string>

namespace qxtest {

// A tmpfs of the given size ("64k") mounted on an existing host folder for one
// test (needs root), unmounted at destruction, so also when the test fails.
// Wine mounts none.
class TmpfsMount {
public:
    TmpfsMount(const std::string& hostFolder, const std::string& size);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool mounted() const { return m_mounted; }
    // Why a test that needs it skips when none was mounted.
    static const char* kNotMounted;

private:
    std::string m_folder;
    bool m_mounted = false;
};

}  // namespace qxtest
