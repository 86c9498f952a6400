#include "host_paths.h"

#include "paths.h"

namespace qxfm {

const char* const kPathsHelp =
    "Paths: Windows paths (C:\\..., \\\\server\\share\\...), absolute or relative to the\n"
    "current folder.";

std::string PathSetupProblem() { return std::string(); }

bool ToWindowsPath(const std::string& arg, CString* out, std::string* error) {
    return FullWindowsPath(arg, out, error);
}

std::string DriveProblem(const CString& path) {
    if (path.GetLength() < 2 || path[1] != u':' || GetDriveTypeW(path.Left(2) + u"\\") != DRIVE_NO_ROOT_DIR)
        return std::string();
    return path.Left(2).ToUtf8() + " is not a drive";
}

bool ToHostPath(const CString& path, std::string* out) {
    *out = path.ToUtf8();
    return true;
}

}  // namespace qxfm
