// Command-line arguments of one command: options (repeatable, with or without
// a value) and positional arguments.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace qxfm {

struct Args {
    std::map<std::string, std::vector<std::string>> options;
    std::vector<std::string> positional;

    bool Has(const std::string& name) const { return options.count(name) != 0; }
    // The last value of an option, or fallback.
    std::string Value(const std::string& name, const std::string& fallback = "") const;
    std::vector<std::string> Values(const std::string& name) const;
};

// Parses argv[first..argc); valued options take the next argument, flags none.
// "--help" (or "-h") is always a flag. Returns false with a reason for an unknown option
// or a missing value.
bool ParseArgs(int argc, char** argv, int first, const std::set<std::string>& valued,
               const std::set<std::string>& flags, Args* out, std::string* error);

}  // namespace qxfm
