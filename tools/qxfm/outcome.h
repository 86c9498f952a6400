// How a command ends: exit status and the one-line reason on failure.
#pragma once

#include <string>

#include "args.h"
#include "host.h"

namespace qxfm {

enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitNotSplit = 3, kExitFilesLeftOut = 4,
                  kExitCancelled = 130 };

// Prints "qxfm: REASON" to stderr and returns status.
int Fail(int status, const std::string& reason);
// After an export returned: drains what is left, ends the bar, and turns the
// result into an exit status; a failure after Ctrl-C is "cancelled", any other
// has the last error posted as its reason.
int Conclude(Host& host, bool failed, const std::string& what);
// The reason of a failed operation: "WHAT failed: ERROR", or, when another
// operation held the library's lock, that and nothing about WHAT.
std::string FailureReason(const std::string& what, long long errorCode, const std::string& errorText);

}  // namespace qxfm

namespace qxfm {

// A usage error of a command: "qxfm: NAME: REASON (see qxfm NAME --help)", status 2.
int UsageError(const char* command, const std::string& reason);
// Maps a path argument, or reports a usage error into *status.
bool PathArgument(const char* command, const std::string& arg, CString* out, int* status);
// The one positional argument as a folder path, or a usage error into *status.
bool FolderArgument(const char* command, const Args& args, CString* folder, int* status);
// As FolderArgument, for a folder that must hold a backup catalog (a failure otherwise).
bool BackupFolderArgument(const char* command, const Args& args, CString* folder, int* status);

}  // namespace qxfm
