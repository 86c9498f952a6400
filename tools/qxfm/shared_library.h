// A shared library loaded at run time, its exports looked up by name.
#pragma once

#include <string>

namespace qxfm {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads a file (a bare name through the system's search); false with the reason in *error.
    bool Open(const std::string& file, std::string* error);
    // The export of that name, or nullptr.
    void* Symbol(const char* name) const;

private:
    void* m_handle = nullptr;
};

// The running program's own file (UTF-8), "" when it cannot be told.
std::string ProgramFile();

}  // namespace qxfm
