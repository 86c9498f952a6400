#include "testhost.h"

namespace qxtest {

std::filesystem::path HostFilePath(const std::string& hostPath) { return hostPath; }

std::vector<std::string> FolderEntries(const std::string& hostFolder) {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(hostFolder)) entries.push_back(entry.path().string());
    return entries;
}

bool RemoveHostTree(const std::string& hostPath) {
    std::error_code ec;
    std::filesystem::remove_all(hostPath, ec);
    return !ec;
}

}  // namespace qxtest
