// Moving a stored big-file path below the folder an image was applied to.
#pragma once

#include "atlstr.h"

// *relocated = target (ending in a backslash) + path without its leading drive
// text (compared ignoring case). False, leaving *relocated alone, when the
// result would not lie below target: a path on another drive, a rooted or
// network path, a "." or ".." component, or nothing left after the drive.
bool RelocateBelow(const CString& target, const CString& drive, const CString& path, CString* relocated);
