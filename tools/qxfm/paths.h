// Windows paths as the commands use them.
#pragma once

#include "atlstr.h"

namespace qxfm {

// The folder form of a path: with a trailing backslash.
CString AsFolder(const CString& path);

// True when the folder holds a backup catalog ("Tarvolen.fbu").
bool HasCatalog(const CString& folder);

}  // namespace qxfm
