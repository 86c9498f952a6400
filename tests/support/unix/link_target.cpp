#include "link_target.h"

#include "run_command.h"

namespace qxtest {
namespace {

// The value of lnkinfo's line "key : value"; when no line has that key, all
// of lnkinfo's output (what failed) or, where the field is optional, nothing.
std::string Field(const std::string& link, const std::string& key, bool optional) {
    const std::string info = RunCommand("lnkinfo '" + link + "'");
    size_t at = info.find(key);
    if (at == std::string::npos) return optional ? std::string() : info;
    at = info.find(':', at) + 1;
    while (info[at] == ' ') ++at;
    return info.substr(at, info.find('\n', at) - at);
}

}  // namespace

std::string LinkTarget(const std::string& link) { return Field(link, "Local path", false); }

std::string LinkDescription(const std::string& link) { return Field(link, "Description", true); }

bool ShortcutsHoldLongTargets() { return true; }

}  // namespace qxtest
