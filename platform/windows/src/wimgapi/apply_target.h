// The folder an image is applied to stays as it was: wimlib gives it the
// attributes stored for the image's root.
#pragma once

#include "wimgapi_host.h"

class QxApplyTarget {
public:
    // Notes the attributes of an existing folder.
    explicit QxApplyTarget(HostString hostPath);
    // Puts them back; nothing for a folder the apply created.
    void Restore() const;
    bool Existed() const { return m_existed; }

private:
    HostString m_path;
    bool m_existed = false;
    DWORD m_attributes = 0;
};
