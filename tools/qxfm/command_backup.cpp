// backup and raw.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "backup_summary.h"
#include "cancel.h"
#include "code_text.h"
#include "commands.h"
#include "earlier_backup.h"
#include "host_paths.h"
#include "image_engine.h"
#include "missing_folders.h"
#include "outcome.h"
#include "output.h"
#include "paths.h"
#include "scan_files.h"
#include "wimgapi.h"

namespace qxfm {
namespace {

bool CompressionType(const std::string& name, int* type) {
    if (name == "none") *type = WIM_COMPRESS_NONE;
    else if (name == "xpress") *type = WIM_COMPRESS_XPRESS;
    else if (name == "lzx") *type = WIM_COMPRESS_LZX;
    else return false;
    return true;
}

// The input files: the positional paths, or what a scan finds (with the count
// of folders it could not list).
bool InputFiles(Host& host, const Args& args, const CString& types, std::vector<CString>* files,
                size_t* foldersNotListed, int* status) {
    if (args.Has("--from-scan")) {
        if (!args.positional.empty()) {
            *status = UsageError("backup", "give files or --from-scan, not both");
            return false;
        }
        CString folder;
        if (args.Has("--folder") && !PathArgument("backup", args.Value("--folder"), &folder, status)) return false;
        ScanOutcome scan = ScanFiles(host, folder, types, ToCStrings(args.Values("--category")));
        if ((*status = scan.status) != kExitOk) return false;
        if (scan.files.empty()) {
            *status = Fail(kExitFailed, "backup failed: the scan found no file");
            return false;
        }
        *files = std::move(scan.files);
        *foldersNotListed = scan.foldersNotListed;
        return true;
    }
    if (args.positional.empty()) {
        *status = UsageError("backup", "give the files to back up, or --from-scan");
        return false;
    }
    for (const std::string& arg : args.positional) {
        CString path;
        if (!PathArgument("backup", arg, &path, status)) return false;
        files->push_back(path);
    }
    return true;
}

// Why the image stays whole, from the path the module named with -234: a big
// file's piece name that was taken, the image whose split failed, or the big
// file larger than the part size.
std::string SplitFailure(const Host& host) {
    for (const Host::NamedFile& named : host.NamedFiles()) {
        if (named.code != MSG_ERROR_WIM_SPLIT_FAILED) continue;
        const std::string& path = named.path;
        const size_t dot = path.rfind('.');
        const std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
        if (ext.size() == 3 && std::isdigit(static_cast<unsigned char>(ext[0])) &&
            std::isdigit(static_cast<unsigned char>(ext[1])) && std::isdigit(static_cast<unsigned char>(ext[2])))
            return ": the piece name " + path + " is taken, so the big file was not cut";
        if (CString::FromUtf8(ext).CompareNoCase(u"wim") == 0) return ": splitting " + path + " failed";
        return ": " + path + " is larger than the part size";
    }
    return "";
}

}  // namespace

int RunBackup(Host& host, const Args& args) {
    for (const char* required : {"--types", "--to", "--name"})
        if (!args.Has(required)) return UsageError("backup", std::string(required) + " is required");
    int compression = WIM_COMPRESS_XPRESS;
    if (!CompressionType(args.Value("--compress", "xpress"), &compression))
        return UsageError("backup", "--compress takes none, xpress or lzx");
    int splitMB = 0;
    if (args.Has("--split-mb")) {
        char* end = nullptr;
        const long value = std::strtol(args.Value("--split-mb").c_str(), &end, 10);
        if (*end != '\0' || value < 100 || value > 1 << 20)
            return UsageError("backup", "--split-mb takes a size of 100 MiB or more");
        splitMB = static_cast<int>(value);
    }
    const CString name = CString::FromUtf8(args.Value("--name"));
    if (name.IsEmpty() || name.Find(u'\\') >= 0 || name.Find(u'/') >= 0 || name.Find(u':') >= 0)
        return UsageError("backup", "--name takes a plain file name");
    CString types, destination;
    int status = kExitOk;
    if (!PathArgument("backup", args.Value("--types"), &types, &status)) return status;
    if (!PathArgument("backup", args.Value("--to"), &destination, &status)) return status;
    const std::string destinationText = destination.ToUtf8();
    if (const std::string problem = DriveProblem(destination); !problem.empty())
        return Fail(kExitFailed, "backup failed: cannot back up into " + destinationText + ": " + problem);
    destination = AsFolder(destination);
    if (!ImageEngineReady("backup", &status)) return status;
    // A folder keeps one backup: one of another name there would be replaced.
    EarlierBackup earlier;
    const bool replacing = FindEarlierBackup(destination, &earlier) && earlier.name.CompareNoCase(name) != 0;
    if (replacing && !args.Has("--replace"))
        return Fail(kExitUsage, "backup: " + destinationText + " holds the backup " + Describe(earlier) +
                                    ", which the backup " + name.ToUtf8() +
                                    " would replace (a folder keeps one backup); give --replace to replace it, or "
                                    "back up into another folder");

    std::vector<CString> files;
    size_t foldersNotListed = 0;
    if (!InputFiles(host, args, types, &files, &foldersNotListed, &status)) return status;
    std::vector<CString> exclusions = ToCStrings(args.Values("--exclude"));
    host.module().SetExclusionFileList(&exclusions);
    std::vector<CString> categories = ToCStrings(args.Values("--category"));
    if (!args.Has("--from-scan") &&
        (status = CheckCategoriesListed(host, "backup", types, categories)) != kExitOk)
        return status;
    std::vector<CString> imageFiles;
    imageFiles.reserve(1024);
    if (splitMB == 0) host.Ignore(MSG_ERROR_WIM_SPLIT_SIZE_TOOSMALL);  // no split was asked for
    const MissingFolders madeForTheBackup(destination);
    CString notMade;
    DWORD error = 0;
    if (!madeForTheBackup.Create(&notMade, &error)) {
        madeForTheBackup.RemoveEmpty();
        return Fail(kExitFailed, "backup failed: cannot create " + notMade.ToUtf8() + ": " + SystemErrorText(error));
    }
    const int result = host.module().Backup(host.window(), &files, types, &categories, destination, name,
                                            splitMB > 0, splitMB, compression, &imageFiles, &Host::Continue);
    const bool usable = result == 0 || (result & ~(QXFM_BACKUP_NOT_SPLIT | QXFM_BACKUP_FILES_LEFT_OUT)) == 0;
    status = Conclude(host, !usable, "backup");
    if (status != kExitOk) {
        madeForTheBackup.RemoveEmpty();
        return status;
    }
    if (TheOutput().json) {
        Report("name") = name.ToUtf8();
        Report("folder") = destinationText;
        if (replacing) Report("replaced") = Describe(earlier);
    } else if (replacing) {
        std::printf("replaced the backup %s\n", Describe(earlier).c_str());
    }
    ReportBackup(SummarizeBackup(host, {exclusions, !categories.empty()}, imageFiles));
    if (result & QXFM_BACKUP_NOT_SPLIT)
        status = Fail(kExitNotSplit, "backed up, but the image could not be split and stays whole" + SplitFailure(host));
    if (result & QXFM_BACKUP_FILES_LEFT_OUT)
        status = Fail(kExitFilesLeftOut, "backed up, but the files listed as left out by the image are not in it");
    if (foldersNotListed) status = ReportFoldersNotListed(foldersNotListed);
    return status;
}

int RunRaw(Host& host, const Args& args) {
    if (!args.Has("--to")) return UsageError("raw", "--to is required");
    if (args.positional.empty()) return UsageError("raw", "give the files to copy");
    CString destination;
    int status = kExitOk;
    if (!PathArgument("raw", args.Value("--to"), &destination, &status)) return status;
    std::vector<CString> files;
    for (const std::string& arg : args.positional) {
        CString path;
        if (!PathArgument("raw", arg, &path, &status)) return status;
        files.push_back(path);
    }
    const int result = host.module().BackupRaw(host.window(), &files, AsFolder(destination), &Host::Continue);
    if ((status = Conclude(host, result != 0, "raw backup")) == kExitCancelled) return status;
    // A file larger than the free space makes the module remove every copy.
    size_t copied = host.FilesReported();
    Json notCopied = Json::Array();
    for (const Host::NamedFile& file : host.NamedFiles()) {
        if (file.code == MSG_ERROR_COPYDATA_NOSPACE_FAILED) copied = 0;
        if (!TheOutput().json) std::printf("not copied: %s\n", file.path.c_str());
        Json& entry = notCopied.Push(Json::Object());
        entry["path"] = file.path;
        entry["reason"] = file.code == MSG_ERROR_COPYDATA_CANNOT_FIND     ? "not found"
                          : file.code == MSG_ERROR_COPYDATA_NOSPACE_FAILED ? "larger than the free space"
                                                                           : "could not be copied";
    }
    if (TheOutput().json) {
        Report("folder") = AsFolder(destination).ToUtf8();
        Report("files_copied") = copied;
        Report("not_copied") = notCopied;
    } else if (PrintsSummary()) {
        std::printf("%zu files copied below %s in %.1f s\n", copied, AsFolder(destination).ToUtf8().c_str(),
                    SecondsSinceStart());
    }
    return status;
}

}  // namespace qxfm
