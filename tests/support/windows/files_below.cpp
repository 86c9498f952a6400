// The C++ library's directory walk (mingw-w64's _wopendir) cannot open a
// folder whose path is longer than MAX_PATH, so the files below a folder are
// found with FindFirstFileW and the long-path prefix.
#include "testhost.h"
#include "windows.h"

namespace qxtest {
namespace {

void CollectFiles(const CString& folder, const CString& suffix, std::vector<std::string>* out) {
    const bool full = folder.GetLength() > 2 && folder[1] == u':';
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((full ? CString(u"\\\\?\\") : CString()) + folder + u"\\*", &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const CString name = found.cFileName;
        if (name == u"." || name == u"..") continue;
        const CString path = folder + u"\\" + name;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (path.Right(suffix.GetLength()) == suffix) out->push_back(path.ToUtf8());
        } else if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            CollectFiles(path, suffix, out);  // links to folders are not followed
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

}  // namespace

std::vector<std::string> FilesBelow(const std::string& root, const std::string& suffix) {
    CString folder = CString::FromUtf8(root);
    folder.Replace(u'/', u'\\');
    folder.TrimRight(u'\\');
    std::vector<std::string> out;
    CollectFiles(folder, CString::FromUtf8(suffix), &out);
    return out;
}

}  // namespace qxtest
