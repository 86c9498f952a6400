#include <stdexcept>

#include "beside_program.h"
#include "testhost.h"
#include "windows.h"

namespace qxtest {

Module::Module() {
    const CString file = BesideProgram(QXFM_MODULE_PATH);
    handle = LoadLibraryW(file);
    if (!handle)
        throw std::runtime_error("cannot load " + file.ToUtf8() + ": system error " + std::to_string(GetLastError()));
    HMODULE module = static_cast<HMODULE>(handle);
    if (const char* missing =
            Resolve([module](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); })) {
        FreeLibrary(module);
        throw std::runtime_error(std::string("the module lacks the export ") + missing);
    }
}

Module::~Module() {
    if (handle) FreeLibrary(static_cast<HMODULE>(handle));
}

}  // namespace qxtest
