// Windows paths as the commands use them.
#pragma once

#include <string>

#include "atlstr.h"

namespace qxfm {

// The folder form of a path: with a trailing backslash.
CString AsFolder(const CString& path);

// A Windows path argument in its full form, as GetFullPathNameW makes it
// (backslashes, no "." or ".."), without a trailing backslash unless it is a
// drive's root: the module finds a file only by that form. False with a reason
// when it has none.
bool FullWindowsPath(const std::string& arg, CString* out, std::string* error);

// True when the folder holds a backup catalog ("Tarvolen.fbu").
bool HasCatalog(const CString& folder);
// The size of a file; 0 when it cannot be had.
ULONGLONG FileBytes(const CString& path);

}  // namespace qxfm
