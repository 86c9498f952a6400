#include "demo_drives.h"

#include <cctype>

namespace qxfm {

DemoDrives::~DemoDrives() = default;

bool DemoDrives::Set(const std::string& root) {
    m_root = root;
    return true;
}

CString DemoDrives::Root(char drive) const {
    return CString::FromUtf8(m_root + "\\" + static_cast<char>(std::tolower(static_cast<unsigned char>(drive))) +
                             "\\");
}

}  // namespace qxfm
