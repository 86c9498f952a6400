// Host commands run from a test (Linux tools such as wimlib-imagex, nm, lnkinfo).
#pragma once

#include <string>

namespace qxtest {

// Runs a shell command and returns what it printed (stdout and stderr).
std::string RunCommand(const std::string& command, int* status = nullptr);

}  // namespace qxtest
