#include "win_path.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "atlstr.h"
#include "drive_table.h"

namespace {

bool IsLetter(WCHAR c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

WCHAR Upper(WCHAR c) { return c >= u'a' && c <= u'z' ? static_cast<WCHAR>(c - u'a' + u'A') : c; }

// Appends the components of text to parts, applying "." and "..".
void AppendParts(const std::u16string& text, std::vector<std::u16string>& parts) {
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && QxIsPathSeparator(text[i])) ++i;
        size_t start = i;
        while (i < text.size() && !QxIsPathSeparator(text[i])) ++i;
        if (i == start) break;
        std::u16string part = text.substr(start, i - start);
        if (part == u".") continue;
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(std::move(part));
    }
}

WCHAR CurrentDrive(const QxResolvedPath& cwd) {
    if (cwd.drive) return cwd.drive;
    const QxDriveTable& table = QxCurrentDriveTable();
    return table.drives.empty() ? u'C' : table.drives.front().letter;
}

}  // namespace

bool QxHasLongPrefix(const WCHAR* path) {
    return path && QxIsPathSeparator(path[0]) && QxIsPathSeparator(path[1]) && (path[2] == u'?' || path[2] == u'.') &&
           QxIsPathSeparator(path[3]);
}

QxResolvedPath QxCurrentDirectory() {
    QxResolvedPath out;
    std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
    std::string host = cwd ? cwd.get() : "/";
    std::string rest;
    const QxDrive* drive = QxDriveHoldingHostPath(host, &rest);
    if (drive) out.drive = drive->letter;
    else rest = host;
    AppendParts(CString::FromUtf8(rest).str(), out.parts);
    return out;
}

bool QxResolveWinPath(const WCHAR* path, QxResolvedPath& out, DWORD* error) {
    auto fail = [&](DWORD code) {
        if (error) *error = code;
        return false;
    };
    if (!path || !*path) return fail(ERROR_PATH_NOT_FOUND);
    std::u16string s = path;
    if (QxHasLongPrefix(path)) {
        s.erase(0, 4);
        if (s.size() >= 4 && Upper(s[0]) == u'U' && Upper(s[1]) == u'N' && Upper(s[2]) == u'C' && QxIsPathSeparator(s[3]))
            return fail(ERROR_PATH_NOT_FOUND);
        if (s.empty()) return fail(ERROR_PATH_NOT_FOUND);
    } else if (s.size() >= 2 && QxIsPathSeparator(s[0]) && QxIsPathSeparator(s[1])) {
        return fail(ERROR_PATH_NOT_FOUND);  // network paths are not mapped
    }
    out = QxResolvedPath();
    out.trailingSeparator = QxIsPathSeparator(s.back());
    if (s.size() >= 2 && s[1] == u':' && IsLetter(s[0])) {
        out.drive = Upper(s[0]);
        std::u16string rest = s.substr(2);
        if (rest.empty() || !QxIsPathSeparator(rest[0])) {
            QxResolvedPath cwd = QxCurrentDirectory();
            if (cwd.drive == out.drive) out.parts = cwd.parts;
        }
        AppendParts(rest, out.parts);
    } else if (QxIsPathSeparator(s[0])) {
        out.drive = CurrentDrive(QxCurrentDirectory());
        AppendParts(s, out.parts);
    } else {
        QxResolvedPath cwd = QxCurrentDirectory();
        out.drive = cwd.drive;
        out.parts = std::move(cwd.parts);
        AppendParts(s, out.parts);
    }
    if (out.parts.empty()) out.trailingSeparator = false;
    return true;
}

std::u16string QxFormatWinPath(const QxResolvedPath& path) {
    if (!path.drive) return std::u16string();
    std::u16string out(1, path.drive);
    out += u":\\";
    for (size_t i = 0; i < path.parts.size(); ++i) {
        if (i) out += u'\\';
        out += path.parts[i];
    }
    if (path.trailingSeparator && !path.parts.empty()) out += u'\\';
    return out;
}
