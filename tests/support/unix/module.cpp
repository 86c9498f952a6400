#include <dlfcn.h>

#include <sstream>
#include <stdexcept>

#include "run_command.h"
#include "testhost.h"

namespace qxtest {

Module::Module(int protocol) {
    handle = dlopen(QXFM_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
    if (const char* missing = Resolve([this](const char* name) { return dlsym(handle, name); })) {
        dlclose(handle);
        throw std::runtime_error(std::string("the module lacks the export ") + missing);
    }
    AskFor(protocol);
}

Module::~Module() {
    if (handle) dlclose(handle);
}

std::set<std::string> Module::ExportedNames() const {
    int status = -1;
    std::istringstream lines(RunCommand(std::string("nm -D --defined-only '") + QXFM_MODULE_PATH + "'", &status));
    if (status != 0) throw std::runtime_error(std::string("nm failed on ") + QXFM_MODULE_PATH);
    std::set<std::string> names;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) names.insert(name);
    }
    return names;
}

}  // namespace qxtest
