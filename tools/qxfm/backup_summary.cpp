#include "backup_summary.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "image_reader.h"

namespace qxfm {
namespace {

std::set<std::u16string> StoredPaths(Display& display, const std::vector<CString>& imageFiles) {
    std::set<std::u16string> stored;
    if (imageFiles.empty()) return stored;
    ImageSet set;
    set.parts = imageFiles;
    set.totalParts = static_cast<unsigned>(imageFiles.size());
    std::vector<ImageReport> reports;
    DWORD error = 0;
    ImageReader(display).ReadSet(set, false, &reports, &error);
    for (const ImageReport& report : reports)
        for (const StoredFile& file : report.files) stored.insert(file.path.str());
    return stored;
}

// The --exclude text that leaves the file out: the module matches it, upper-cased, in the path below the drive.
const CString* ExclusionOf(const CString& path, const std::vector<CString>& exclusions) {
    CString belowDrive = path.Mid(2);
    belowDrive.MakeUpper();
    for (const CString& text : exclusions) {
        CString upper = text;
        upper.MakeUpper();
        if (!upper.IsEmpty() && belowDrive.Find(upper) >= 0) return &text;
    }
    return nullptr;
}

bool Contains(const std::vector<CString>& list, const CString& path) {
    return std::find(list.begin(), list.end(), path) != list.end();
}

// The path with each name as its folder holds it: a file given in another
// letter case is stored under its own name. Unchanged where a name is not found.
CString OnDiskSpelling(const CString& path) {
    if (path.GetLength() < 4 || path[1] != u':' || path[2] != u'\\' || path.FindOneOf(u"*?<>\"") >= 0) return path;
    CString out = path.Left(3);
    for (int start = 3; start < path.GetLength();) {
        int end = path.Find(u'\\', start);
        if (end < 0) end = path.GetLength();
        CString query = out + path.Mid(start, end - start);
        if (query.GetLength() >= MAX_PATH) query = u"\\\\?\\" + query;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(query, &data);
        if (find == INVALID_HANDLE_VALUE) return path;
        FindClose(find);
        out += data.cFileName;
        if (end < path.GetLength()) out += u'\\';
        start = end + 1;
    }
    return out;
}

}  // namespace

BackupSummary SummarizeBackup(Display& display, const BackupInputs& inputs, const std::vector<CString>& imageFiles) {
    const std::set<std::u16string> stored = StoredPaths(display, imageFiles);
    BackupSummary summary;
    std::set<std::u16string> counted;  // a file given twice, or in two spellings, is stored once
    for (const CString& given : inputs.files) {
        const CString file = OnDiskSpelling(given);
        const DWORD attributes = GetFileAttributesW(file);
        const DWORD error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
        const auto notStored = std::find_if(inputs.notStored.begin(), inputs.notStored.end(),
                                            [&](const auto& named) { return named.first == file; });
        if (notStored != inputs.notStored.end()) {
            summary.leftOut.push_back(*notStored);
        } else if (stored.count(file.str()) || (Contains(inputs.overLength, file) && attributes != INVALID_FILE_ATTRIBUTES)) {
            if (counted.insert(file.str()).second) ++summary.stored;
        } else if (error == ERROR_INVALID_NAME) {
            summary.leftOut.push_back({file, "a name Windows cannot hold"});
        } else if (attributes == INVALID_FILE_ATTRIBUTES) {
            summary.leftOut.push_back({file, "not found"});
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            summary.leftOut.push_back({file, "a folder, not a file"});
        } else if (const CString* text = ExclusionOf(file, inputs.exclusions)) {
            summary.leftOut.push_back({file, "excluded by --exclude " + text->ToUtf8()});
        } else if (inputs.categoriesChosen) {
            summary.leftOut.push_back({file, "not in a chosen category"});
        } else {
            summary.noCategory.push_back(file);
        }
    }
    return summary;
}

void PrintBackupSummary(const BackupSummary& summary, size_t imageFileCount) {
    std::printf("%zu files stored in %zu image file(s)\n", summary.stored, imageFileCount);
    if (!summary.noCategory.empty()) {
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
