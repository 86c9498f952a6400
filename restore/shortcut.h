// Shell shortcuts for restored over-length files.
#pragma once

#include "atlstr.h"

// Creates a shell link at linkPath pointing at target, with a description.
// Returns the component-object result code (S_OK on success).
HRESULT CreateShortcut(const CString& target, const CString& description, const CString& linkPath);

// Creates a shortcut named after origin (cut at its first dot, ".lnk" added,
// shortened to a folder of origin when over 260 characters) that points at
// target. 1 when a shortcut was attempted, 0 when no link path could be formed.
int PlaceShortcut(const CString& target, const CString& origin);
