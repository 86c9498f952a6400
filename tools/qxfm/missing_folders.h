// The levels of a folder path that do not exist before a command runs, so that
// after a failed operation the command removes those the module made for it
// and left empty.
#pragma once

#include <vector>

#include "atlstr.h"

namespace qxfm {

class MissingFolders {
public:
    explicit MissingFolders(const CString& folder);
    // Removes those of the levels that exist and are empty now, deepest first.
    void RemoveEmpty() const;

private:
    std::vector<CString> m_levels;  // deepest first
};

}  // namespace qxfm
