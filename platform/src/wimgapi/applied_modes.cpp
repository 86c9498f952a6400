#include "applied_modes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>

namespace {

const char kCapabilityAttribute[] = "security.capability";

struct Walk {
    const std::string& target;
    bool withTarget;
    int error = 0;
};

mode_t AllowedMode(mode_t mode) {
    const mode_t bits = mode & 07777;
    if (S_ISREG(mode)) return bits & ~static_cast<mode_t>(S_ISUID | S_ISGID);
    if (S_ISDIR(mode)) return bits & ~static_cast<mode_t>(S_ISUID | S_ISGID | S_ISVTX);
    if (S_ISCHR(mode) || S_ISBLK(mode)) return 0;
    return bits;
}

// Looked up first: removing the attribute takes a privilege even where there is none.
bool DropCapabilities(const std::string& path) {
    if (lgetxattr(path.c_str(), kCapabilityAttribute, nullptr, 0) < 0) return errno == ENODATA || errno == ENOTSUP;
    return lremovexattr(path.c_str(), kCapabilityAttribute) == 0 || errno == ENODATA;
}

// No call follows a link, so an entry swapped for a link meanwhile
// changes nothing else; a link itself is never changed.
bool DropPrivileges(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (S_ISLNK(st.st_mode)) return true;
    if (S_ISREG(st.st_mode) && !DropCapabilities(path)) return false;
    const mode_t allowed = AllowedMode(st.st_mode);
    return allowed == (st.st_mode & 07777) || fchmodat(AT_FDCWD, path.c_str(), allowed, AT_SYMLINK_NOFOLLOW) == 0;
}

int VisitItem(const struct wimlib_dir_entry* entry, void* context) {
    auto& walk = *static_cast<Walk*>(context);
    if (entry->depth == 0 && !walk.withTarget) return 0;
    if (DropPrivileges(walk.target + entry->full_path)) return 0;
    walk.error = errno;
    return WIMLIB_ERR_SET_SECURITY;
}

}  // namespace

bool QxDropAppliedPrivileges(WIMStruct* wim, int image, const std::string& targetHost, bool withTarget) {
    Walk walk{targetHost, withTarget};
    errno = 0;
    const int ret = wimlib_iterate_dir_tree(wim, image, "", WIMLIB_ITERATE_DIR_TREE_FLAG_RECURSIVE, VisitItem, &walk);
    if (ret == 0) return true;
    errno = walk.error ? walk.error : (errno ? errno : EIO);
    return false;
}
