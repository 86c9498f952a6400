#include "demo_drives.h"

#include <cstdlib>

#include "qxplatform.h"

namespace qxfm {

DemoDrives::~DemoDrives() {
    if (!m_root.empty()) QxSetDriveTable("");
}

bool DemoDrives::Set(const std::string& root) {
    setenv("QXFM_NAMESPACE", "qxfm-demo", 0);  // unless the caller chose one
    if (!QxSetDriveTable("C=" + root + "/c,fixed,active;D=" + root + "/d,fixed")) return false;
    m_root = root;
    return true;
}

CString DemoDrives::Root(char drive) const { return CString::FromUtf8(std::string(1, drive) + ":\\"); }

}  // namespace qxfm
