// The levels of a folder path that do not exist before a command runs: the
// command makes them, so that it can name the one that cannot be made, and
// after a failed operation removes those left empty.
#pragma once

#include <vector>

#include "atlstr.h"

namespace qxfm {

class MissingFolders {
public:
    explicit MissingFolders(const CString& folder);
    // Creates the levels, shallowest first; false with the level that could not
    // be made and the system error.
    bool Create(CString* notMade, DWORD* error) const;
    // Removes those of the levels that exist and are empty now, deepest first.
    void RemoveEmpty() const;

private:
    std::vector<CString> m_levels;  // deepest first
};

}  // namespace qxfm
