// verify, restore, delete.
#include <cstdio>

#include "code_text.h"
#include "commands.h"
#include "outcome.h"
#include "paths.h"
#include "scan_files.h"

namespace qxfm {
namespace {

bool OneFolder(const char* command, const Args& args, CString* folder, int* status) {
    if (args.positional.size() != 1) {
        *status = UsageError(command, "give one folder");
        return false;
    }
    return PathArgument(command, args.positional[0], folder, status);
}

// A backup folder argument that holds a catalog.
bool BackupFolder(const char* command, const Args& args, CString* folder, int* status) {
    if (!OneFolder(command, args, folder, status)) return false;
    if (HasCatalog(*folder)) return true;
    *status = Fail(kExitFailed, std::string(command) + " failed: no backup catalog Tarvolen.fbu in " + folder->ToUtf8());
    return false;
}

}  // namespace

int RunVerify(Host& host, const Args& args) {
    CString folder;
    int status = kExitOk;
    if (!BackupFolder("verify", args, &folder, &status)) return status;
    if (host.module().IsDataValid(AsFolder(folder)) != 0)
        return Fail(kExitFailed, "verify failed: the backup in " + folder.ToUtf8() +
                                     " is missing image files or has no catalog (see Dbg.log)");
    std::printf("backup in %s is complete\n", folder.ToUtf8().c_str());
    return kExitOk;
}

int RunRestore(Host& host, const Args& args) {
    CString folder, target;
    int status = kExitOk;
    if (!BackupFolder("restore", args, &folder, &status)) return status;
    if (!args.Has("--to")) return UsageError("restore", "--to is required");
    if (!PathArgument("restore", args.Value("--to"), &target, &status)) return status;
    std::vector<CString> categories = ToCStrings(args.Values("--category"));
    if (categories.empty()) {
        categories.reserve(64);
        if (host.module().GetCategoriesFromSerializationData(AsFolder(folder), &categories) != 1)
            return Fail(kExitFailed, "restore failed: no backup catalog in " + folder.ToUtf8());
    }
    const int result = host.module().Restore(host.window(), AsFolder(folder), &categories, AsFolder(target),
                                             &Host::Continue);
    if ((status = Conclude(host, result != 0, "restore")) != kExitOk) return status;
    std::printf("restored %zu categories below %sSystem Recovery Files\n", categories.size(),
                AsFolder(target).ToUtf8().c_str());
    return kExitOk;
}

int RunDelete(Host& host, const Args& args) {
    CString folder;
    int status = kExitOk;
    if (!OneFolder("delete", args, &folder, &status)) return status;
    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(kExitFailed, "delete failed: no folder " + folder.ToUtf8());
    if (host.module().DeleteFolder(folder) != 0)
        return Fail(kExitFailed, "delete failed: " + ErrorText(MSG_ERROR_DELETE_FOLDER_DANGEROUS, folder.ToUtf8()));
    if (GetFileAttributesW(folder) != INVALID_FILE_ATTRIBUTES)
        return Fail(kExitFailed, "delete failed: some entries of " + folder.ToUtf8() + " could not be removed");
    std::printf("deleted %s\n", folder.ToUtf8().c_str());
    return kExitOk;
}

}  // namespace qxfm
