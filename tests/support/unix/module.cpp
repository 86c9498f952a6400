#include <dlfcn.h>

#include <stdexcept>

#include "testhost.h"

namespace qxtest {

Module::Module() {
    handle = dlopen(QXFM_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
    if (const char* missing = Resolve([this](const char* name) { return dlsym(handle, name); })) {
        dlclose(handle);
        throw std::runtime_error(std::string("the module lacks the export ") + missing);
    }
}

Module::~Module() {
    if (handle) dlclose(handle);
}

}  // namespace qxtest
