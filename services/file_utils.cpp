#include "services/file_utils.h"

#include "services/path_parts.h"
#include "services/scoped_handle.h"
#include "services/state.h"

bool IsExistingFile(const CString& path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const CString& path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// Whether a search found an entry; the search itself is closed at once.
bool Found(HANDLE search) { return static_cast<bool>(ScopedFindHandle(search)); }

}  // namespace

bool FindEntry(const CString& path, WIN32_FIND_DATAW* data) { return Found(FindFirstFileW(path, data)); }

bool FindNamedEntry(const CString& path, WIN32_FIND_DATAW* data) {
    if (path.Mid(path.ReverseFind(u'\\') + 1).FindOneOf(u"*?<>\"") >= 0) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return FindEntry(path, data);
}

bool HoldsANameNoPathCan(const CString& path) {
    return GetFileAttributesW(WithLongPathPrefix(path)) == INVALID_FILE_ATTRIBUTES &&
           GetLastError() == ERROR_INVALID_NAME;
}

bool FindAsSpelled(const CString& path, WIN32_FIND_DATAW* data) {
    return Found(FindFirstFileExW(path, FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                                  FIND_FIRST_EX_CASE_SENSITIVE));
}

bool IsExistingFileAsSpelled(const CString& path) {
    WIN32_FIND_DATAW data;
    return FindAsSpelled(path, &data) && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

ULONGLONG GetFileSize64(const CString& path) {
    if (path.IsEmpty()) return 0;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

ULONGLONG GetTotalSize(const std::vector<CString>* paths) {
    if (!paths) return 0;
    ULONGLONG total = 0;
    for (const CString& path : *paths) {
        if (!AskContinue()) return 0;
        total += GetFileSize64(path);
    }
    return total;
}

bool DeleteFileForced(const CString& path) {
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return true;
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path) != FALSE;
}

void DeleteFiles(const std::vector<CString>* paths) {
    if (!paths) return;
    for (const CString& path : *paths) DeleteFileForced(path);
}

bool SetFolderTime(const CString& folder, const FILETIME& lastWrite) {
    const ScopedFileHandle handle(CreateFileW(WithLongPathPrefix(folder), FILE_WRITE_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle && SetFileTime(handle.get(), nullptr, nullptr, &lastWrite) != FALSE;
}
