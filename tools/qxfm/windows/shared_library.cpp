#include "shared_library.h"

#include "atlstr.h"
#include "windows.h"

namespace qxfm {

SharedLibrary::~SharedLibrary() {
    if (m_handle) FreeLibrary(static_cast<HMODULE>(m_handle));
}

bool SharedLibrary::Open(const std::string& file, std::string* error) {
    m_handle = LoadLibraryW(CString::FromUtf8(file));
    if (!m_handle) *error = "cannot load " + file + ": system error " + std::to_string(GetLastError());
    return m_handle != nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

std::string ProgramFile() {
    WCHAR self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    return n > 0 && n < MAX_PATH ? CString(self, static_cast<int>(n)).ToUtf8() : std::string();
}

}  // namespace qxfm
