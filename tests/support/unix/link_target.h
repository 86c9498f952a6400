// What a shell link file points to, as a reader of its own sees it.
#pragma once

#include <string>

namespace qxtest {

// The target path of the shortcut at a host path, as lnkinfo reports it; all
// of lnkinfo's output when it names no local path.
std::string LinkTarget(const std::string& link);

}  // namespace qxtest
