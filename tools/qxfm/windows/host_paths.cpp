#include "host_paths.h"

#include "windows.h"

namespace qxfm {

const char* const kPathsHelp =
    "Paths: Windows paths (C:\\..., \\\\server\\share\\...), absolute or relative to the\n"
    "current folder.";

std::string PathSetupProblem() { return std::string(); }

// The full path, as GetFullPathNameW makes it (backslashes, no "." or ".."),
// without a trailing backslash unless it is a drive's root.
bool ToWindowsPath(const std::string& arg, CString* out, std::string* error) {
    const CString path = CString::FromUtf8(arg);
    DWORD size = GetFullPathNameW(path, 0, nullptr, nullptr);
    std::u16string full(size, u'\0');
    if (size) size = GetFullPathNameW(path, size, full.data(), nullptr);
    if (!size || size >= full.size()) {
        *error = arg + " is not a valid path";
        return false;
    }
    *out = CString(full.data(), static_cast<int>(size));
    while (out->GetLength() > 3 && (*out)[out->GetLength() - 1] == u'\\') *out = out->Left(out->GetLength() - 1);
    return true;
}

bool ToHostPath(const CString& path, std::string* out) {
    *out = path.ToUtf8();
    return true;
}

}  // namespace qxfm
