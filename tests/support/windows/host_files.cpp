// The C runtime's file calls stop at MAX_PATH unless a full path carries the
// long-path prefix, which takes backslashes only; the C++ library's removal
// of a tree stops there whatever it is given, so trees are removed here.
#include <algorithm>

#include "testhost.h"
#include "windows.h"

namespace qxtest {
namespace {

const WCHAR kLongPrefix[] = u"\\\\?\\";

// Removes the entry at a prefixed path, read-only or not, with all below it
// (a link to a folder alone); false when something stays.
bool RemoveEntry(const CString& path) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path);
    bool removed = true;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW found;
        const HANDLE find = FindFirstFileW(path + u"\\*", &found);
        for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
            const CString name = found.cFileName;
            if (name != u"." && name != u"..") removed = RemoveEntry(path + u"\\" + name) && removed;
        }
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
    }
    return RemoveDirectoryW(path) && removed;
}

CString WithBackslashes(const std::string& hostPath) {
    CString path = CString::FromUtf8(hostPath);
    path.Replace(u'/', u'\\');
    path.TrimRight(u'\\');
    return path;
}

}  // namespace

std::filesystem::path HostFilePath(const std::string& hostPath) {
    const CString path = WithBackslashes(hostPath);
    if (path.GetLength() < 248 || path[1] != u':') return std::filesystem::u8path(hostPath);
    return std::filesystem::path((kLongPrefix + path).str());
}

std::vector<std::string> FolderEntries(const std::string& hostFolder) {
    std::vector<std::string> entries;
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(kLongPrefix + WithBackslashes(hostFolder) + u"\\*", &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
        const CString name = found.cFileName;
        if (name != u"." && name != u"..") entries.push_back(hostFolder + "/" + name.ToUtf8());
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return entries;
}

bool RemoveHostTree(const std::string& hostPath) {
    const CString path = WithBackslashes(hostPath);
    return RemoveEntry(path.GetLength() > 1 && path[1] == u':' ? kLongPrefix + path : path);
}

}  // namespace qxtest
