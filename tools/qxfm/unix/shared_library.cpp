#include "shared_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace qxfm {

SharedLibrary::~SharedLibrary() {
    if (m_handle) dlclose(m_handle);
}

bool SharedLibrary::Open(const std::string& file, std::string* error) {
    m_handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) *error = "cannot load " + file + ": " + dlerror();
    return m_handle != nullptr;
}

void* SharedLibrary::Symbol(const char* name) const { return dlsym(m_handle, name); }

std::string ProgramFile() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self);
    return n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string();
}

}  // namespace qxfm
