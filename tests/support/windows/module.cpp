#include <stdexcept>

#include "beside_program.h"
#include "testhost.h"
#include "windows.h"

namespace qxtest {

Module::Module(int protocol) {
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
    AskFor(protocol);
}

Module::~Module() {
    if (handle) FreeLibrary(static_cast<HMODULE>(handle));
}

// The names of the loaded DLL's export directory.
std::set<std::string> Module::ExportedNames() const {
    const auto* base = static_cast<const BYTE*>(handle);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (!dir.VirtualAddress) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char*>(base + nameOffsets[i]));
    return names;
}

}  // namespace qxtest
