// Paths on the command line: a Windows path on the drive table ("C:\...") is
// taken as it is; anything else is a host path (absolute, or relative to the
// current folder) and is mapped to the drive that holds it.
#pragma once

#include <string>

#include "atlstr.h"

namespace qxfm {

// False with a reason when a host path lies on none of the drives.
bool ToWindowsPath(const std::string& arg, CString* out, std::string* error);
// The folder form of a path: with a trailing backslash.
CString AsFolder(const CString& path);

// True when the folder holds a backup catalog ("Tarvolen.fbu").
bool HasCatalog(const CString& folder);

}  // namespace qxfm
