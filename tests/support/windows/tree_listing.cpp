// The tree walked with FindFirstFileW and the long-path prefix, as FilesBelow
// does: the C++ library's directory walk stops at MAX_PATH.
#include "tree_listing.h"

#include <algorithm>
#include <functional>

#include "testhost.h"
#include "windows.h"

namespace qxtest {
namespace {

void List(const CString& folder, const std::string& rel, const std::vector<std::string>& skip,
          std::vector<std::pair<std::string, std::string>>* lines) {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(u"\\\\?\\" + folder + u"\\*", &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const CString name = found.cFileName;
        if (name == u"." || name == u"..") continue;
        const std::string entry = rel + name.ToUtf8();
        if (std::any_of(skip.begin(), skip.end(), [&](const std::string& s) { return entry.rfind(s, 0) == 0; }))
            continue;
        const CString path = folder + u"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            lines->emplace_back(entry, "link");
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            lines->emplace_back(entry, "dir");
            List(path, entry + "/", skip, lines);
        } else {
            const ULONGLONG size = (ULONGLONG(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            const ULONGLONG time = (ULONGLONG(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                   found.ftLastWriteTime.dwLowDateTime;
            lines->emplace_back(entry, "file " + std::to_string(size) + " " + std::to_string(time) + " " +
                                           std::to_string(std::hash<std::string>()(ReadHostFile(path.ToUtf8()))));
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> TreeEntries(const std::string& root,
                                                             const std::vector<std::string>& skip) {
    CString folder = CString::FromUtf8(root);
    folder.Replace(u'/', u'\\');
    folder.TrimRight(u'\\');
    std::vector<std::pair<std::string, std::string>> lines;
    List(folder, "", skip, &lines);
    return lines;
}

}  // namespace qxtest
