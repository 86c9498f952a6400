// The host's exclusion list, applied to each listed file by its own path.
#pragma once

#include "atlstr.h"

// True when an entry of the exclusion list, upper-cased, occurs anywhere in
// the upper-cased path below its drive (the first two characters dropped);
// logs the hit. An empty entry excludes nothing.
bool IsExcludedPath(const CString& path);
// Logs each empty entry of the exclusion list as ignored.
void LogIgnoredExclusions();
