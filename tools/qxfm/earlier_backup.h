// The backup a folder already holds, as its image files describe it. A folder
// keeps one backup (one catalog), so a backup of another name into it
// replaces that one: qxfm names it before doing so.
#pragma once

#include <string>

#include "atlstr.h"

namespace qxfm {

struct EarlierBackup {
    CString name;      // as the backup was named
    std::string time;  // its start, "YYYY-MM-DD HH:MM:SS"; empty when no image says
    unsigned long long bytes = 0;  // its image files and catalog
};

// False when folder holds no backup catalog.
bool FindEarlierBackup(const CString& folder, EarlierBackup* out);
// "Monday of 2026-12-09 23:01:02 (340.2 MiB)".
std::string Describe(const EarlierBackup& backup);

}  // namespace qxfm
