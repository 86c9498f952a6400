#include "args.h"

namespace qxfm {

std::string Args::Value(const std::string& name, const std::string& fallback) const {
    auto it = options.find(name);
    return it == options.end() || it->second.empty() ? fallback : it->second.back();
}

std::vector<std::string> Args::Values(const std::string& name) const {
    auto it = options.find(name);
    return it == options.end() ? std::vector<std::string>() : it->second;
}

bool ParseArgs(int argc, char** argv, int first, const std::set<std::string>& valued,
               const std::set<std::string>& flags, Args* out, std::string* error) {
    bool onlyPositional = false;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!onlyPositional && arg == "-h") {
            out->options["--help"];
        } else if (onlyPositional || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            out->positional.push_back(arg);
        } else if (arg == "--") {
            onlyPositional = true;
        } else if (valued.count(arg)) {
            if (i + 1 >= argc) {
                *error = arg + " needs a value";
                return false;
            }
            out->options[arg].push_back(argv[++i]);
        } else if (flags.count(arg) || arg == "--help") {
            out->options[arg];
        } else {
            *error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

}  // namespace qxfm
