// categories, scan, categories-of.
#include <cstdio>

#include "commands.h"
#include "display.h"
#include "outcome.h"
#include "output.h"
#include "paths.h"
#include "scan_files.h"
#include "stored_categories.h"

namespace qxfm {

int RunCategories(Host& host, const Args& args) {
    if (args.positional.size() != 1) return UsageError("categories", "give one type list file");
    CString types;
    int status = kExitOk;
    if (!PathArgument("categories", args.positional[0], &types, &status)) return status;
    std::vector<CString> categories;
    if ((status = ListCategories(host, types, &categories)) != kExitOk) return status;
    for (const CString& c : categories) std::printf("%s\n", c.ToUtf8().c_str());
    return kExitOk;
}

int RunScan(Host& host, const Args& args) {
    if (!args.Has("--types")) return UsageError("scan", "--types is required");
    if (!args.positional.empty()) return UsageError("scan", "unexpected argument " + args.positional[0]);
    CString types, folder;
    int status = kExitOk;
    if (!PathArgument("scan", args.Value("--types"), &types, &status)) return status;
    if (args.Has("--folder") && !PathArgument("scan", args.Value("--folder"), &folder, &status)) return status;
    ScanOutcome scan = ScanFiles(host, folder, types, ToCStrings(args.Values("--category")));
    if (scan.status != kExitOk) return scan.status;
    if (TheOutput().json) {
        Json& files = Report("files") = Json::Array();
        for (const CString& f : scan.files) files.Push(Json::Object())["path"] = f.ToUtf8();
        Report("file_count") = scan.files.size();
        Report("bytes") = static_cast<unsigned long long>(scan.totalBytes);
        Report("folders_not_listed") = scan.foldersNotListed;
    }
    if (args.Has("--list") && PrintsListing())
        for (const CString& f : scan.files) std::printf("%s\n", f.ToUtf8().c_str());
    if (PrintsSummary())
        std::printf("%zu files, %llu bytes (%s) found in %.1f s\n", scan.files.size(),
                    static_cast<unsigned long long>(scan.totalBytes), Bytes(scan.totalBytes).c_str(),
                    SecondsSinceStart());
    return scan.foldersNotListed ? ReportFoldersNotListed(scan.foldersNotListed) : kExitOk;
}

int RunCategoriesOf(Host& host, const Args& args) {
    if (args.positional.size() != 1) return UsageError("categories-of", "give one backup folder");
    CString folder;
    int status = kExitOk;
    if (!PathArgument("categories-of", args.positional[0], &folder, &status)) return status;
    std::vector<CString> categories;
    if ((status = StoredCategories(host, "categories-of", folder, &categories)) != kExitOk) return status;
    if (TheOutput().json) {
        Report("folder") = folder.ToUtf8();
        Json& list = Report("categories") = Json::Array();
        for (const CString& c : categories) list.Push(c.ToUtf8());
    } else {
        for (const CString& c : categories) std::printf("%s\n", c.ToUtf8().c_str());
    }
    return kExitOk;
}

}  // namespace qxfm
