#include "host_paths.h"

#include <cctype>
#include <filesystem>

#include "qxplatform.h"
#include "paths.h"

namespace qxfm {

const char* const kPathsHelp =
    "Paths: a Windows path (C:\\...) names a place on the drive table; any other path\n"
    "is a host path (absolute or relative to the current folder) and is mapped to the\n"
    "drive that holds it. The drive table comes from QXFM_DRIVES, else from the host's\n"
    "mounts (/ is C:).";

std::string PathSetupProblem() { return QxDriveTableProblem(); }

// A Windows path is taken in its full form, as qxfm.exe takes it.
bool ToWindowsPath(const std::string& arg, CString* out, std::string* error) {
    if (arg.size() >= 2 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':')
        return FullWindowsPath(arg, out, error);
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

std::string DriveProblem(const CString& path) {
    std::string host;
    if (path.GetLength() < 2 || path[1] != u':' || QxToHostPath(path.Left(2) + u"\\", host)) return std::string();
    return path.Left(2).ToUtf8() + " is not a drive of the drive table (QXFM_DRIVES)";
}

bool ToHostPath(const CString& path, std::string* out) { return QxToHostPath(path, *out); }

}  // namespace qxfm
