// restore, delete.
#include <cstdio>

#include "code_text.h"
#include "commands.h"
#include "host_paths.h"
#include "image_engine.h"
#include "outcome.h"
#include "output.h"
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
    if (const std::string problem = DriveProblem(target); !problem.empty())
        return Fail(kExitFailed, "restore failed: cannot restore into " + target.ToUtf8() + ": " + problem);
    std::vector<CString> categories = ToCStrings(args.Values("--category"));
    status = categories.empty() ? StoredCategories(host, "restore", folder, &categories)
                                : CheckCategoriesStored(host, "restore", folder, categories);
    if (status != kExitOk) return status;
    const int result = host.module().Restore(host.window(), AsFolder(folder), &categories, AsFolder(target),
                                             &Host::Continue);
    status = Conclude(host, result != 0, "restore");
    const std::string restoredInto = host.RestoreFolder();
    if (TheOutput().json) {
        Report("folder") = folder.ToUtf8();
        Report("target") = target.ToUtf8();
        Json& list = Report("categories") = Json::Array();
        for (const CString& c : categories) list.Push(c.ToUtf8());
        Report("restored_into") = restoredInto;
        Report("items_applied") = host.FilesReported();
    } else if (status == kExitOk && PrintsSummary()) {
        std::printf("restored %zu categories (%zu files and folders) into %s in %.1f s\n", categories.size(),
                    host.FilesReported(), restoredInto.c_str(), SecondsSinceStart());
    }
    return status;
}

namespace {

// The first entry left below folder, depth first: a file, or the deepest folder; empty when folder is empty.
CString FirstEntryLeft(const CString& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(AsFolder(folder) + u"*", &data);
    if (find == INVALID_HANDLE_VALUE) return CString();
    CString found;
    do {
        const CString name(data.cFileName);
        if (name == u"." || name == u"..") continue;
        found = AsFolder(folder) + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            if (const CString below = FirstEntryLeft(found); !below.IsEmpty()) found = below;
    } while (found.IsEmpty() && FindNextFileW(find, &data));
    FindClose(find);
    return found;
}

}  // namespace

int RunDelete(Host& host, const Args& args) {
    CString folder;
    int status = kExitOk;
    if (!FolderArgument("delete", args, &folder, &status)) return status;
    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(kExitFailed, "delete failed: no folder " + folder.ToUtf8());
    const bool failed = host.module().DeleteFolder(folder) != 0;
    // The module refuses a drive's root and any path of up to five characters without touching it.
    if (failed && folder.GetLength() <= 5)
        return Fail(kExitFailed, "delete failed: " + ErrorText(MSG_ERROR_DELETE_FOLDER_DANGEROUS, folder.ToUtf8()));
    // It names an entry it could not delete only in its debug log: the first one left names it here.
    if (const CString left = FirstEntryLeft(folder); !left.IsEmpty())
        return Fail(kExitFailed, "delete failed: " + left.ToUtf8() + " could not be deleted (Dbg.log gives the " +
                                     "system error), so " + folder.ToUtf8() + " stays with what is left in it");
    if (GetFileAttributesW(folder) != INVALID_FILE_ATTRIBUTES)
        return Fail(kExitFailed, "delete failed: " + folder.ToUtf8() + " could not be removed");
    if (PrintsSummary()) std::printf("deleted %s\n", folder.ToUtf8().c_str());
    return kExitOk;
}

}  // namespace qxfm
