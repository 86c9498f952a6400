// Where the command line's paths meet the module's Windows paths. On Linux a
// drive table maps Windows paths onto host folders: a Windows path ("C:\...")
// names a place on it, any other path is a host path (absolute, or relative to
// the current folder) mapped to the drive that holds it. On Windows every path
// is a Windows path and stands for itself.
#pragma once

#include <string>

#include "atlstr.h"

namespace qxfm {

// The usage text's paragraph on paths.
extern const char* const kPathsHelp;
// What keeps paths from being mapped at all ("" when nothing does).
std::string PathSetupProblem();
// A path argument as a Windows path; false with a reason when it names no place the module can reach.
bool ToWindowsPath(const std::string& arg, CString* out, std::string* error);
// Why the drive of a Windows path is no drive at all ("" when it is one):
// "X: is not a drive of the drive table (QXFM_DRIVES)".
std::string DriveProblem(const CString& path);
// The host's name of a Windows path, for the host's own file access; false when it maps nowhere.
bool ToHostPath(const CString& path, std::string* out);

}  // namespace qxfm
