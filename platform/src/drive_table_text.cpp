#include <cerrno>
#include <cstdlib>

#include "drive_table.h"

namespace {

bool ParseKindOrOption(const std::string& word, QxDrive& drive) {
    if (word == "fixed") drive.type = DRIVE_FIXED;
    else if (word == "removable") drive.type = DRIVE_REMOVABLE;
    else if (word == "remote") drive.type = DRIVE_REMOTE;
    else if (word == "cdrom") drive.type = DRIVE_CDROM;
    else if (word == "ramdisk") drive.type = DRIVE_RAMDISK;
    else if (word == "active") drive.active = true;
    else if (word == "noopen") drive.noOpen = true;
    else if (word.rfind("free=", 0) == 0) {
        std::string digits = word.substr(5);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
        errno = 0;
        char* end = nullptr;
        unsigned long long value = std::strtoull(digits.c_str(), &end, 10);
        if (errno == ERANGE || *end) return false;
        drive.hasFreeOverride = true;
        drive.freeBytes = value;
    } else {
        return false;
    }
    return true;
}

bool ParseEntry(const std::string& entry, QxDrive& drive) {
    if (entry.size() < 3 || entry[1] != '=') return false;
    char letter = entry[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') return false;
    drive.letter = static_cast<WCHAR>(letter);
    size_t comma = entry.find(',', 2);
    std::string root = entry.substr(2, comma == std::string::npos ? std::string::npos : comma - 2);
    if (root.empty() || root[0] != '/') return false;
    while (!root.empty() && root.back() == '/') root.pop_back();
    drive.hostRoot = root;
    while (comma != std::string::npos) {
        size_t next = entry.find(',', comma + 1);
        std::string word = entry.substr(comma + 1, next == std::string::npos ? std::string::npos : next - comma - 1);
        if (!ParseKindOrOption(word, drive)) return false;
        comma = next;
    }
    return true;
}

}  // namespace

bool QxParseDriveSpec(const std::string& tableText, std::vector<QxDrive>& drives) {
    std::vector<QxDrive> parsed;
    bool seen[26] = {};
    size_t start = 0;
    while (start <= tableText.size()) {
        size_t semi = tableText.find(';', start);
        std::string entry = tableText.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        if (!entry.empty()) {
            QxDrive drive;
            if (!ParseEntry(entry, drive)) return false;
            int index = drive.letter - u'A';
            if (seen[index]) return false;
            seen[index] = true;
            parsed.push_back(drive);
        }
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    if (parsed.empty()) return false;
    drives = std::move(parsed);
    return true;
}
