#include "tree_listing.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "testhost.h"

namespace fs = std::filesystem;

namespace qxtest {

std::vector<std::pair<std::string, std::string>> TreeEntries(const std::string& root,
                                                             const std::vector<std::string>& skip) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const std::string full = it->path().string();
        const std::string rel = full.substr(root.size() + 1);
        bool skipped = std::any_of(skip.begin(), skip.end(), [&](const std::string& s) { return rel.rfind(s, 0) == 0; });
        if (skipped) {
            if (it->is_directory(ec) && !it->is_symlink(ec)) it.disable_recursion_pending();
            continue;
        }
        struct stat st;
        if (lstat(full.c_str(), &st) != 0) continue;
        if (S_ISLNK(st.st_mode)) {
            lines.emplace_back(rel, "link " + fs::read_symlink(full, ec).string());
        } else if (S_ISDIR(st.st_mode)) {
            lines.emplace_back(rel, "dir");
        } else {
            size_t hash = std::hash<std::string>()(ReadHostFile(full));
            lines.emplace_back(rel, "file " + std::to_string(st.st_size) + " " +
                            std::to_string(st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec) + " " +
                            std::to_string(hash));
        }
    }
    return lines;
}

}  // namespace qxtest
