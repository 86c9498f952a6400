#include "module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace qxfm {
namespace {

// QXFM_MODULE names the module file; otherwise the build tree's copy two
// folders above this program, then the loader's own search (rpath, ld.so.conf).
std::string ModuleCandidate() {
    if (const char* forced = std::getenv("QXFM_MODULE"); forced && *forced) return forced;
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return QXFM_MODULE_NAME;
    std::string dir(self, static_cast<size_t>(n));
    for (int up = 0; up < 3; ++up) dir = dir.substr(0, dir.rfind('/'));
    std::string beside = dir + "/" + QXFM_MODULE_NAME;
    return access(beside.c_str(), R_OK) == 0 ? beside : std::string(QXFM_MODULE_NAME);
}

}  // namespace

bool Module::Load(std::string* error) {
    const std::string file = ModuleCandidate();
    handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        *error = std::string("cannot load ") + file + ": " + dlerror();
        return false;
    }
    if (const char* missing = Resolve([this](const char* name) { return dlsym(handle, name); })) {
        *error = std::string("the module lacks the export ") + missing;
        return false;
    }
    return true;
}

Module::~Module() {
    if (handle) dlclose(handle);
}

}  // namespace qxfm
