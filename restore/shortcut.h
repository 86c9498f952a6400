// Shell shortcuts for restored over-length files.
#pragma once

#include "atlstr.h"

// Creates a shell link at linkPath pointing at target, with a description.
// Returns the component-object result code (S_OK on success).
HRESULT CreateShortcut(const CString& target, const CString& description, const CString& linkPath);

// Creates a shortcut beside origin, below root, that points at target. It is
// named after origin's file name with ".lnk" for its extension, or, when an
// entry holds that name already, "name (2).lnk" and so on: it never replaces
// anything. False when it could not be made (-230 or -227 posted).
bool PlaceShortcut(const CString& target, const CString& origin, const CString& root);
