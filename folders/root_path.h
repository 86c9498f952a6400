// Recognises every spelling of a volume root, so that a tree deletion can refuse it.
#pragma once

#include "atlstr.h"

// True when path names the root of a drive, share or volume once "." and ".."
// are resolved, repeated separators dropped and a "\\?\" or "\\.\" prefix taken
// off: "C:\", "C:\\\", "C:\.", "C:\x\..", "\\?\C:\", "\\server\share\", "\".
// A relative path is taken from the current directory.
bool IsRootPath(const CString& path);
