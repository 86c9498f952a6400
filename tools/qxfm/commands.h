// The commands of qxfm: name, help text, options and what they do.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "args.h"
#include "host.h"

namespace qxfm {

struct Command {
    const char* name;
    const char* help;  // first line: the usage
    std::set<std::string> valued;
    std::set<std::string> flags;
    int (*run)(Host& host, const Args& args);
    bool json;  // takes --json
};

const std::vector<Command>& Commands();

int RunCategories(Host& host, const Args& args);
int RunScan(Host& host, const Args& args);
int RunBackup(Host& host, const Args& args);
int RunRaw(Host& host, const Args& args);
int RunVerify(Host& host, const Args& args);
int RunList(Host& host, const Args& args);
int RunCategoriesOf(Host& host, const Args& args);
int RunRestore(Host& host, const Args& args);
int RunDelete(Host& host, const Args& args);
int RunDemo(Host& host, const Args& args);

}  // namespace qxfm
