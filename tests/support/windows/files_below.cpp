// The C++ library's directory walk (mingw-w64's _wopendir) cannot open a
// folder whose path is longer than MAX_PATH, so the files below a folder are
// found with FindFirstFileW and the long-path prefix. They are named as on
// Linux: the root as given, then '/' and the names below it.
#include "testhost.h"
#include "windows.h"

namespace qxtest {
namespace {

void CollectFiles(const CString& folder, const std::string& shown, const CString& suffix,
                  std::vector<std::string>* out) {
    const bool full = folder.GetLength() > 2 && folder[1] == u':';
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((full ? CString(u"\\\\?\\") : CString()) + folder + u"\\*", &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const CString name = found.cFileName;
        if (name == u"." || name == u"..") continue;
        const std::string path = shown + "/" + name.ToUtf8();
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (name.Right(suffix.GetLength()) == suffix) out->push_back(path);
        } else if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            CollectFiles(folder + u"\\" + name, path, suffix, out);  // links to folders are not followed
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

}  // namespace

std::vector<std::string> FilesBelow(const std::string& root, const std::string& suffix) {
    CString folder = CString::FromUtf8(root);
    folder.Replace(u'/', u'\\');
    folder.TrimRight(u'\\');
    std::string shown = root;
    while (shown.size() > 1 && (shown.back() == '/' || shown.back() == '\\')) shown.pop_back();
    std::vector<std::string> out;
    CollectFiles(folder, shown, CString::FromUtf8(suffix), &out);
    return out;
}

}  // namespace qxtest
