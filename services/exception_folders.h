// The folders at a drive root that hold copies of over-length files while a
// backup runs: "_Exception1" keeps the tail of a file's path, "_Exception2"
// only its name.
#pragma once

#include "atlstr.h"

inline constexpr WCHAR kException1[] = u"_Exception1";
inline constexpr WCHAR kException2[] = u"_Exception2";
