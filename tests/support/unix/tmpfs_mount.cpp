#include "tmpfs_mount.h"

#include <sys/mount.h>

namespace qxtest {

const char* TmpfsMount::kNotMounted = "mounting a tmpfs needs root";

TmpfsMount::TmpfsMount(const std::string& hostFolder, const std::string& size) : m_folder(hostFolder) {
    m_mounted = mount("qxfm-test", hostFolder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
}

TmpfsMount::~TmpfsMount() {
    if (m_mounted) umount2(m_folder.c_str(), MNT_DETACH);
}

}  // namespace qxtest
