#include "testhost.h"

namespace qxtest {

std::filesystem::path HostFilePath(const std::string& hostPath) { return hostPath; }

bool RemoveHostTree(const std::string& hostPath) {
    std::error_code ec;
    std::filesystem::remove_all(hostPath, ec);
    return !ec;
}

}  // namespace qxtest
