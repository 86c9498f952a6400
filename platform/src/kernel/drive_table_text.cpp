#include <cerrno>
#include <cstdlib>

#include "drive_table.h"

namespace {

// Each parser returns "" for a good text, else what is wrong with it.
std::string ParseKindOrOption(const std::string& word, QxDrive& drive) {
    if (word == "fixed") drive.type = DRIVE_FIXED;
    else if (word == "removable") drive.type = DRIVE_REMOVABLE;
    else if (word == "remote") drive.type = DRIVE_REMOTE;
    else if (word == "cdrom") drive.type = DRIVE_CDROM;
    else if (word == "ramdisk") drive.type = DRIVE_RAMDISK;
    else if (word == "active") drive.active = true;
    else if (word == "noopen") drive.noOpen = true;
    else if (word.rfind("free=", 0) == 0) {
        std::string digits = word.substr(5);
        const char* const notBytes = "free= wants a number of bytes";
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return notBytes;
        errno = 0;
        char* end = nullptr;
        unsigned long long value = std::strtoull(digits.c_str(), &end, 10);
        if (errno == ERANGE || *end) return notBytes;
        drive.hasFreeOverride = true;
        drive.freeBytes = value;
    } else {
        return "unknown kind or option \"" + word + "\"";
    }
    return "";
}

std::string ParseEntry(const std::string& entry, QxDrive& drive) {
    if (entry.size() < 2 || entry[1] != '=') return "not LETTER=/FOLDER[,OPTION...]";
    char letter = entry[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') return "the drive is not a letter A to Z";
    drive.letter = static_cast<WCHAR>(letter);
    size_t comma = entry.find(',', 2);
    std::string root = entry.substr(2, comma == std::string::npos ? std::string::npos : comma - 2);
    if (root.empty() || root[0] != '/') return "the folder is not an absolute host path";
    while (!root.empty() && root.back() == '/') root.pop_back();
    drive.hostRoot = root;
    while (comma != std::string::npos) {
        size_t next = entry.find(',', comma + 1);
        std::string word = entry.substr(comma + 1, next == std::string::npos ? std::string::npos : next - comma - 1);
        std::string problem = ParseKindOrOption(word, drive);
        if (!problem.empty()) return problem;
        comma = next;
    }
    return "";
}

}  // namespace

bool QxParseDriveSpec(const std::string& tableText, std::vector<QxDrive>& drives, std::string* problem) {
    auto fail = [&](const std::string& entry, const std::string& what) {
        if (problem) *problem = entry.empty() ? what : "entry \"" + entry + "\": " + what;
        return false;
    };
    std::vector<QxDrive> parsed;
    bool seen[26] = {};
    size_t start = 0;
    while (start <= tableText.size()) {
        size_t semi = tableText.find(';', start);
        std::string entry = tableText.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        if (!entry.empty()) {
            QxDrive drive;
            std::string what = ParseEntry(entry, drive);
            if (!what.empty()) return fail(entry, what);
            int index = drive.letter - u'A';
            if (seen[index]) return fail(entry, "the drive letter is given twice");
            seen[index] = true;
            parsed.push_back(drive);
        }
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    if (parsed.empty()) return fail("", "no drive is given");
    drives = std::move(parsed);
    return true;
}
