#include "scan_files.h"

#include <algorithm>
#include <cstdio>

#include "cancel.h"
#include "code_text.h"
#include "host_paths.h"
#include "outcome.h"
#include "output.h"
#include "stored_categories.h"

namespace qxfm {
namespace {

// The library names a folder it could not scan only in its debug log.
std::string ScanFailure(const CString& folder, long long code, const std::string& lastError) {
    if (code == MSG_ERROR_SCAN_FOLDER_FAILED && !folder.IsEmpty() &&
        GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES) {
        const std::string drive = DriveProblem(folder);
        return "scan failed: " + folder.ToUtf8() + (drive.empty() ? " does not exist" : " does not exist: " + drive);
    }
    return FailureReason("scan", code, lastError);
}

// The drives a scan without a folder took, and those it passed over with the reason.
void ReportScannedDrives(const Host& host) {
    std::string scanned;
    std::vector<std::string> notFixed, skipped;
    Json scannedJson = Json::Array(), skippedJson = Json::Array();
    for (const Host::NamedFile& named : host.NamedFiles()) {
        if (named.code == MSG_OPERATION_SCAN_DRIVE) {
            scanned += " " + named.path;
            scannedJson.Push(named.path);
        }
        if (named.code == MSG_ERROR_DRIVE_INFO_FAILED) notFixed.push_back(named.path);
        if (named.code == MSG_ERROR_DRIVE_INVALID) skipped.push_back(named.path);
    }
    if (PrintsSummary()) std::printf("scanned drives:%s\n", scanned.empty() ? " none" : scanned.c_str());
    const char* notChosen = host.ErrorsPosted(MSG_ERROR_DRIVE_OPEN_FAILED) == 0
                                ? "the active (boot) partition; --folder scans it"
                                : "the active (boot) partition, or a volume that cannot be opened; --folder scans it";
    for (const std::string& drive : skipped) {
        const bool fixed = std::find(notFixed.begin(), notFixed.end(), drive) == notFixed.end();
        const char* reason = fixed ? notChosen : "not a fixed drive";
        if (PrintsSummary()) std::printf("not scanned: %s (%s)\n", drive.c_str(), reason);
        Json& entry = skippedJson.Push(Json::Object());
        entry["drive"] = drive;
        entry["reason"] = reason;
    }
    if (TheOutput().json) {
        Report("scanned_drives") = scannedJson;
        Report("not_scanned") = skippedJson;
    }
}

}  // namespace

ScanOutcome ScanFiles(Host& host, const CString& folder, const CString& typeList, std::vector<CString> categories) {
    ScanOutcome out;
    std::vector<CString> listed;
    if ((out.status = ListCategories(host, typeList, &listed)) != kExitOk) return out;
    if (categories.empty())
        categories = listed;
    else if ((out.status = CheckCategoriesHeld("scan", "the type list " + typeList.ToUtf8(), categories, listed)))
        return out;
    // A drive a scan of every drive passes over is no failure: it is named below.
    if (folder.IsEmpty()) host.Ignore(MSG_ERROR_DRIVE_INVALID);
    ULONGLONG count = 0;
    const int result = host.module().ScanFileArraySizeByPredefinedType(host.window(), folder, typeList, &categories,
                                                                      &count, &Host::Continue);
    host.Drain();
    host.Ignore(0);
    host.display().Finish();
    long long code = 0;
    const std::string lastError = host.TakeLastError(&code);
    // A completed scan that found nothing also answers 1, without an error.
    const bool failed = result != 0 && !(count == 0 && lastError.empty());
    if (folder.IsEmpty() && !CancelRequested()) ReportScannedDrives(host);
    if (CancelRequested() || failed) {
        out.status = CancelRequested() ? Fail(kExitCancelled, "cancelled")
                                       : Fail(kExitFailed, ScanFailure(folder, code, lastError));
        return out;
    }
    out.foldersNotListed = host.ErrorsPosted(MSG_ERROR_SCANDATA_CANNOT_FIND);
    out.files.reserve(static_cast<size_t>(count));
    if (count > 0 && host.module().GetFileArrayByPredefinedType(&out.files, &out.totalBytes) != 0)
        out.status = Fail(kExitFailed, "the scan result could not be handed over");
    return out;
}

int ReportFoldersNotListed(size_t count) {
    return Fail(kExitFilesLeftOut, std::to_string(count) + (count == 1 ? " folder" : " folders") +
                                       " could not be listed, so the files in " + (count == 1 ? "it" : "them") +
                                       " are missing; Dbg.log names " + (count == 1 ? "it" : "them"));
}

int ListCategories(Host& host, const CString& typeList, std::vector<CString>* categories) {
    categories->clear();
    const std::string what = "reading the type list " + typeList.ToUtf8();
    if (GetFileAttributesW(typeList) == INVALID_FILE_ATTRIBUTES)
        return Fail(kExitFailed, what + " failed: " + SystemErrorText(GetLastError()));
    ULONGLONG count = 0;
    const int result = host.module().ScanFileArraySizeByPredefinedType(host.window(), CString(), typeList,
                                                                      categories, &count, &Host::Continue);
    return Conclude(host, result != 0 || categories->empty(), what);
}

int CheckCategoriesListed(Host& host, const char* command, const CString& typeList,
                          const std::vector<CString>& categories) {
    std::vector<CString> listed;
    if (const int status = ListCategories(host, typeList, &listed); status != kExitOk) return status;
    return CheckCategoriesHeld(command, "the type list " + typeList.ToUtf8(), categories, listed);
}

std::vector<CString> ToCStrings(const std::vector<std::string>& texts) {
    std::vector<CString> out;
    for (const std::string& t : texts) out.push_back(CString::FromUtf8(t));
    return out;
}

}  // namespace qxfm
