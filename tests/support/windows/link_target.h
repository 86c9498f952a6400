// What a shell link file points to, as a reader of its own sees it.
#pragma once

#include <string>

namespace qxtest {

// The target path of the shortcut at a host path, as the system's shell link
// object reads it; a text that says what failed when it cannot be read.
std::string LinkTarget(const std::string& link);

}  // namespace qxtest
