#include <filesystem>

#include "testhost.h"

namespace fs = std::filesystem;

namespace qxtest {

bool MakeLink(const std::string& target, const std::string& link, bool folder) {
    if (folder) fs::create_directory_symlink(target, link);
    else fs::create_symlink(target, link);
    return true;
}

}  // namespace qxtest
