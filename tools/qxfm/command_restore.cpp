// restore, delete.
#include <cstdio>

#include "code_text.h"
#include "commands.h"
#include "image_engine.h"
#include "outcome.h"
#include "paths.h"
#include "scan_files.h"
#include "stored_categories.h"

namespace qxfm {

int RunRestore(Host& host, const Args& args) {
    CString folder, target;
    int status = kExitOk;
    if (!BackupFolderArgument("restore", args, &folder, &status)) return status;
    if (!ImageEngineReady("restore", &status)) return status;
    if (!args.Has("--to")) return UsageError("restore", "--to is required");
    if (!PathArgument("restore", args.Value("--to"), &target, &status)) return status;
    std::vector<CString> categories = ToCStrings(args.Values("--category"));
    status = categories.empty() ? StoredCategories(host, "restore", folder, &categories)
                                : CheckCategoriesStored(host, "restore", folder, categories);
    if (status != kExitOk) return status;
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
    if (!FolderArgument("delete", args, &folder, &status)) return status;
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
