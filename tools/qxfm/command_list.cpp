// list: what a backup holds, per drive and category, read from its images.
#include <cstdio>
#include <ctime>

#include "cancel.h"
#include "commands.h"
#include "image_engine.h"
#include "image_reader.h"
#include "outcome.h"
#include "output.h"
#include "paths.h"
#include "scan_files.h"
#include "stored_categories.h"

namespace qxfm {
namespace {

std::string LocalTime(const FILETIME& time) {
    const ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    const std::time_t seconds = static_cast<std::time_t>(ticks / 10000000ULL) - 11644473600LL;
    char text[32] = "";
    if (const std::tm* local = std::localtime(&seconds)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
    return text;
}

// "RHSA" with "-" for each attribute not set.
std::string AttributeLetters(DWORD attributes) {
    std::string out;
    for (const auto& [bit, letter] : {std::pair<DWORD, char>{FILE_ATTRIBUTE_READONLY, 'R'},
                                      {FILE_ATTRIBUTE_HIDDEN, 'H'}, {FILE_ATTRIBUTE_SYSTEM, 'S'},
                                      {FILE_ATTRIBUTE_ARCHIVE, 'A'}, {FILE_ATTRIBUTE_REPARSE_POINT, 'L'}})
        out += (attributes & bit) ? letter : '-';
    return out;
}

void ReportImage(const ImageReport& report, Json* images) {
    Json& image = images->Push(Json::Object());
    image["image"] = report.image.text.ToUtf8();
    image["drive"] = report.image.drive.ToUtf8();
    image["category"] = report.image.category.ToUtf8();
    image["description"] = report.image.description.ToUtf8();
    Json& files = image["files"] = Json::Array();
    ULONGLONG total = 0;
    for (const StoredFile& f : report.files) {
        total += f.size;
        Json& file = files.Push(Json::Object());
        file["path"] = f.path.ToUtf8();
        file["written"] = LocalTime(f.written);
        file["size"] = static_cast<unsigned long long>(f.size);
        file["attributes"] = AttributeLetters(f.attributes);
        file["pieces"] = static_cast<unsigned long long>(f.pieces.size());
    }
    image["file_count"] = report.files.size();
    image["bytes"] = static_cast<unsigned long long>(total);
}

void PrintImage(const ImageReport& report, bool longForm) {
    ULONGLONG total = 0;
    std::printf("%s\n", report.image.text.ToUtf8().c_str());
    for (const StoredFile& f : report.files) {
        total += f.size;
        char size[24];
        std::snprintf(size, sizeof size, "%12llu", static_cast<unsigned long long>(f.size));
        std::string line = "  " + LocalTime(f.written) + "  " + size;
        if (longForm) line += "  " + AttributeLetters(f.attributes);
        line += "  " + f.path.ToUtf8();
        if (!f.pieces.empty()) line += "  (stored in " + std::to_string(f.pieces.size()) + " pieces)";
        std::printf("%s\n", line.c_str());
    }
    std::printf("  %zu files, %llu bytes\n", report.files.size(), static_cast<unsigned long long>(total));
}

bool Wanted(const ImageReport& report, const std::vector<std::string>& categories) {
    if (categories.empty()) return true;
    for (const std::string& c : categories)
        if (report.image.category.CompareNoCase(CString::FromUtf8(c)) == 0) return true;
    return false;
}

}  // namespace

int RunList(Host& host, const Args& args) {
    CString folder;
    int status = kExitOk;
    if (!BackupFolderArgument("list", args, &folder, &status)) return status;
    if (!ImageEngineReady("list", &status)) return status;
    if (args.Has("--category") &&
        (status = CheckCategoriesStored(host, "list", folder, ToCStrings(args.Values("--category")))) != kExitOk)
        return status;
    std::vector<CString> unreadable;
    std::vector<ImageReport> reports;
    for (const ImageSet& set : FindImageSets(AsFolder(folder), &unreadable)) {
        ImageReader reader(host.display());
        DWORD error = 0;
        if (!reader.ReadSet(set, false, &reports, &error)) unreadable.push_back(set.parts.front());
    }
    host.display().Finish();
    if (CancelRequested()) return Fail(kExitCancelled, "cancelled");
    std::string failures;
    Json images = Json::Array();
    for (const ImageReport& report : reports) {
        if (!report.read) failures += (failures.empty() ? "" : ", ") + report.image.text.ToUtf8();
        else if (!Wanted(report, args.Values("--category"))) continue;
        else if (TheOutput().json) ReportImage(report, &images);
        else PrintImage(report, args.Has("--long"));
    }
    if (TheOutput().json) {
        Report("folder") = folder.ToUtf8();
        Report("images") = images;
    }
    for (const CString& path : unreadable) failures += (failures.empty() ? "" : ", ") + path.ToUtf8();
    if (!failures.empty()) return Fail(kExitFailed, "list failed: cannot read " + failures);
    if (reports.empty()) return Fail(kExitFailed, "list failed: no image files in " + folder.ToUtf8());
    return kExitOk;
}

}  // namespace qxfm
