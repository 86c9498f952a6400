// Files of the build tree found from the running test program.
#pragma once

#include "atlstr.h"

namespace qxtest {

// The Windows path of a file named relative to the test program's folder ('/' or '\').
CString BesideProgram(const char* relative);

}  // namespace qxtest
