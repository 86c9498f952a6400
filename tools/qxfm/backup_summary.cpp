#include "backup_summary.h"

#include <cstdio>
#include <set>

#include "code_text.h"
#include "display.h"
#include "output.h"
#include "paths.h"

namespace qxfm {
namespace {

// The --exclude text that leaves the file out: the module matches it, upper-cased, in the path below the drive.
std::string ExclusionOf(const CString& path, const std::vector<CString>& exclusions) {
    CString belowDrive = path.Mid(2);
    belowDrive.MakeUpper();
    for (const CString& text : exclusions) {
        CString upper = text;
        upper.MakeUpper();
        if (!upper.IsEmpty() && belowDrive.Find(upper) >= 0) return "excluded by --exclude " + text.ToUtf8();
    }
    return "excluded";
}

// Why the module did not store a file it named with -235 after this system error.
std::string NotStoredReason(long long systemError) {
    switch (systemError) {
    case ERROR_INVALID_NAME: return "a name Windows cannot hold";
    case ERROR_CANT_ACCESS_FILE: return "it lies behind a link or mount point, which the image keeps without what it leads to";
    case ERROR_FILE_NOT_FOUND: return "no capture took it";
    default: return "the image cannot store it: " + SystemErrorText(systemError);
    }
}

}  // namespace

BackupSummary SummarizeBackup(const Host& host, const BackupInputs& inputs, const std::vector<CString>& imageFiles) {
    BackupSummary summary;
    summary.stored = host.StoredByBackup().files;
    summary.storedBytes = host.StoredByBackup().bytes;
    for (const CString& image : imageFiles) summary.imageFiles.push_back({image, FileBytes(image)});
    std::set<std::u16string> named;  // a file is named by the first notification about it
    for (const Host::NamedFile& file : host.NamedFiles()) {
        const CString path = CString::FromUtf8(file.path);
        std::string reason;
        switch (file.code) {
        case QXFM_OPERATION_FILE_EXCLUDED: reason = ExclusionOf(path, inputs.exclusions); break;
        case QXFM_OPERATION_FILE_OF_NO_CATEGORY:
            if (!inputs.categoriesChosen) {
                if (named.insert(path.str()).second) summary.noCategory.push_back(path);
                continue;
            }
            reason = "not in a chosen category";
            break;
        case MSG_ERROR_SERIALIZATION_FAILED: reason = "not found"; break;
        case MSG_ERROR_WIM_MSG_ERROR: reason = NotStoredReason(file.systemError); break;
        case MSG_ERROR_COPYDATA_CANNOT_FIND:
            reason = "its path is too long and it could not be copied into an exception folder";
            break;
        default: continue;
        }
        if (named.insert(path.str()).second) summary.leftOut.push_back({path, reason});
    }
    return summary;
}

void ReportBackup(const BackupSummary& summary) {
    unsigned long long imageBytes = 0;
    for (const auto& image : summary.imageFiles) imageBytes += image.second;
    // How many times smaller the image set is than the data it holds.
    const double ratio = imageBytes > 0 ? static_cast<double>(summary.storedBytes) / imageBytes : 0;
    if (TheOutput().json) {
        Json& images = Report("image_files") = Json::Array();
        for (const auto& [path, bytes] : summary.imageFiles) {
            Json& image = images.Push(Json::Object());
            image["path"] = path.ToUtf8();
            image["bytes"] = bytes;
        }
        Report("files_stored") = summary.stored;
        Report("bytes_stored") = summary.storedBytes;
        Report("image_bytes") = imageBytes;
        Report("compression_ratio") = ratio;
        Json& noCategory = Report("of_no_category") = Json::Array();
        for (const CString& file : summary.noCategory) noCategory.Push(file.ToUtf8());
        Json& leftOut = Report("left_out") = Json::Array();
        for (const auto& [file, reason] : summary.leftOut) {
            Json& entry = leftOut.Push(Json::Object());
            entry["path"] = file.ToUtf8();
            entry["reason"] = reason;
        }
        return;
    }
    if (PrintsSummary()) {
        for (const auto& image : summary.imageFiles) std::printf("%s\n", image.first.ToUtf8().c_str());
        std::printf("%llu files stored, %s, in %zu image file(s) of %s (compression ratio %.2f) in %.1f s\n",
                    summary.stored, Bytes(summary.storedBytes).c_str(), summary.imageFiles.size(),
                    Bytes(imageBytes).c_str(), ratio, SecondsSinceStart());
    }
    if (PrintsSummary() && !summary.noCategory.empty()) {
        std::printf("%zu files of no category (not stored):\n", summary.noCategory.size());
        for (const CString& file : summary.noCategory) std::printf("  %s\n", file.ToUtf8().c_str());
    }
    if (!summary.leftOut.empty()) {
        std::printf("%zu files left out:\n", summary.leftOut.size());
        for (const auto& [file, reason] : summary.leftOut)
            std::printf("  %s: %s\n", file.ToUtf8().c_str(), reason.c_str());
    }
}

}  // namespace qxfm
