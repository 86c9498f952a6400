// The files below a host folder, through the C++ library's directory walk.
#include <filesystem>

#include "testhost.h"

namespace fs = std::filesystem;

namespace qxtest {

std::vector<std::string> FilesBelow(const std::string& root, const std::string& suffix) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const std::string p = it->path().string();
        bool endsWith = p.size() >= suffix.size() && p.compare(p.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (it->is_regular_file(ec) && endsWith) out.push_back(p);
    }
    return out;
}

}  // namespace qxtest
