#include "host_paths.h"

#include <cctype>
#include <filesystem>

#include "qxplatform.h"
#include "windows.h"

namespace qxfm {

const char* const kPathsHelp =
    "Paths: a Windows path (C:\\...) names a place on the drive table; any other path\n"
    "is a host path (absolute or relative to the current folder) and is mapped to the\n"
    "drive that holds it. The drive table comes from QXFM_DRIVES, else from the host's\n"
    "mounts (/ is C:).";

std::string PathSetupProblem() { return QxDriveTableProblem(); }

// A Windows path is taken as GetFullPathNameW makes it (backslashes, no "." or
// ".."), without a trailing backslash unless it is a drive's root, as qxfm.exe
// takes it: the module finds a file only by that form.
bool ToWindowsPath(const std::string& arg, CString* out, std::string* error) {
    if (arg.size() >= 2 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':') {
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
    std::error_code ec;
    std::filesystem::path host = std::filesystem::absolute(arg, ec).lexically_normal();
    std::string text = host.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    *out = QxFromHostPath(text);
    if (out->IsEmpty()) {
        *error = arg + " is on none of the drives (see QXFM_DRIVES)";
        return false;
    }
    return true;
}

bool ToHostPath(const CString& path, std::string* out) { return QxToHostPath(path, *out); }

}  // namespace qxfm
