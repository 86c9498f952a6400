// The folder an image is applied to stays as it was: wimlib gives it the
// owner, group, mode and extended attributes stored for the image's root.
#pragma once

#include <sys/types.h>

#include <string>

#include "windows.h"

class QxApplyTarget {
public:
    // Notes the owner, group, mode and DOS bits of an existing folder.
    explicit QxApplyTarget(std::string hostPath);
    // Puts back what changed; nothing for a folder the apply created.
    void Restore() const;
    bool Existed() const { return m_existed; }

private:
    std::string m_path;
    bool m_existed = false;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    mode_t m_mode = 0;
    DWORD m_dosBits = 0;
};
