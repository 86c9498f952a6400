// The exclusion list test of a capture.
#pragma once

#include "atlstr.h"

// True when an entry of the exclusion list, upper-cased, occurs anywhere in
// the upper-cased path below its drive (the first two characters dropped);
// logs the hit.
bool IsExcludedPath(const CString& path);
