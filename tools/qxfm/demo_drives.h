// The demo's two drives in its temporary folder: C: (ROOT/c) the source and
// D: (ROOT/d) the backup and the restore. On Linux a drive table of their own
// replaces the host's for the run (with an operation lock of their own); on
// Windows, whose drives are real, the two folders serve as they are.
#pragma once

#include <string>

#include "atlstr.h"

namespace qxfm {

class DemoDrives {
public:
    DemoDrives() = default;
    ~DemoDrives();
    DemoDrives(const DemoDrives&) = delete;
    DemoDrives& operator=(const DemoDrives&) = delete;

    // Sets the drives up over ROOT/c and ROOT/d, which exist.
    bool Set(const std::string& root);
    // The Windows path of the drive's root folder ('C' or 'D'), with a trailing backslash.
    CString Root(char drive) const;

private:
    std::string m_root;
};

}  // namespace qxfm
