#include "link_target.h"

#include "run_command.h"

namespace qxtest {

std::string LinkTarget(const std::string& link) {
    std::string info = RunCommand("lnkinfo '" + link + "'");
    const std::string key = "Local path";
    size_t at = info.find(key);
    if (at == std::string::npos) return info;
    at = info.find(':', at) + 1;
    while (info[at] == ' ') ++at;
    return info.substr(at, info.find('\n', at) - at);
}

}  // namespace qxtest
