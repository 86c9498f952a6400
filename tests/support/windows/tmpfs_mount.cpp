#include "tmpfs_mount.h"

namespace qxtest {

const char* TmpfsMount::kNotMounted = "Wine mounts no small file system to fill up";

TmpfsMount::TmpfsMount(const std::string& hostFolder, const std::string&) : m_folder(hostFolder) {}

TmpfsMount::~TmpfsMount() = default;

}  // namespace qxtest
