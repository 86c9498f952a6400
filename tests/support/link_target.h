// What a shell link file holds, as a reader of its own sees it.
#pragma once

#include <string>

namespace qxtest {

// The target path of the shortcut at a host path, as lnkinfo reports it (on
// Windows, the system's shell link object); a text that says what failed
// when it cannot be read.
std::string LinkTarget(const std::string& link);
// The shortcut's description, read the same way; empty when it holds none.
std::string LinkDescription(const std::string& link);

}  // namespace qxtest
