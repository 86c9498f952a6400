#include "outcome.h"

#include <cstdio>

#include "cancel.h"
#include "output.h"

namespace qxfm {

int Fail(int status, const std::string& reason) {
    std::fprintf(stderr, "qxfm: %s\n", reason.c_str());
    if (TheOutput().json) Report("error") = reason;
    return status;
}

int Conclude(Host& host, bool failed, const std::string& what) {
    host.Drain();
    host.display().Finish();
    long long code = 0;
    const std::string lastError = host.TakeLastError(&code);
    if (!failed) return kExitOk;  // a Ctrl-C after the last callback did not stop it
    if (CancelRequested()) return Fail(kExitCancelled, "cancelled");
    return Fail(kExitFailed, FailureReason(what, code, lastError));
}

std::string FailureReason(const std::string& what, long long errorCode, const std::string& errorText) {
    if (errorCode == MSG_ERROR_OPERATION_CONFLICT)
        return "another operation of the library is running (it holds the operation lock); nothing was done";
    // The library names a big file it could not rebuild only in its debug log.
    const std::string where = errorCode == MSG_ERROR_BIGFILES_MERGE_FAILED ? " (Dbg.log names the file)" : "";
    return what + " failed" + (errorText.empty() ? std::string() : ": " + errorText) + where;
}

}  // namespace qxfm

#include "host_paths.h"
#include "paths.h"

namespace qxfm {

int UsageError(const char* command, const std::string& reason) {
    return Fail(kExitUsage, std::string(command) + ": " + reason + " (see qxfm " + command + " --help)");
}

bool PathArgument(const char* command, const std::string& arg, CString* out, int* status) {
    std::string error;
    if (ToWindowsPath(arg, out, &error)) return true;
    *status = UsageError(command, error);
    return false;
}

bool FolderArgument(const char* command, const Args& args, CString* folder, int* status) {
    if (args.positional.size() != 1) {
        *status = UsageError(command, "give one folder");
        return false;
    }
    return PathArgument(command, args.positional[0], folder, status);
}

bool BackupFolderArgument(const char* command, const Args& args, CString* folder, int* status) {
    if (!FolderArgument(command, args, folder, status)) return false;
    if (HasCatalog(*folder)) return true;
    *status = Fail(kExitFailed, std::string(command) + " failed: no backup catalog Tarvolen.fbu in " + folder->ToUtf8());
    return false;
}

}  // namespace qxfm
