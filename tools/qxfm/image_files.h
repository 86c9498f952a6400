// The image files of a backup name in a folder (NAME.wim, NAME*.swm), noted
// before a backup so that a cancelled one leaves no new image behind.
#pragma once

#include <vector>

#include "atlstr.h"

namespace qxfm {

class ImageFilesBefore {
public:
    ImageFilesBefore(const CString& folder, const CString& name);
    // Deletes the image files of the name that were not there before.
    void RemoveNewOnes() const;

private:
    std::vector<CString> Current() const;

    CString m_folder, m_name;
    std::vector<CString> m_before;
};

}  // namespace qxfm
