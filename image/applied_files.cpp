#include "image/applied_files.h"

#include "services/path_parts.h"

void AppliedFiles::Note(const CString& path, const WIN32_FIND_DATAW& stored) {
    if (stored.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return;
    m_files.push_back({path, (ULONGLONG(stored.nFileSizeHigh) << 32) | stored.nFileSizeLow, stored.ftLastWriteTime});
}

void AppliedFiles::RemoveUnfinished(const std::function<void(const CString&)>& removed) const {
    for (const File& file : m_files) {
        const CString path = WithLongPathPrefix(file.path);
        WIN32_FILE_ATTRIBUTE_DATA found;
        if (!GetFileAttributesExW(path, GetFileExInfoStandard, &found) ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        const ULONGLONG size = (ULONGLONG(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (size == file.size && found.ftLastWriteTime.dwLowDateTime == file.lastWrite.dwLowDateTime &&
            found.ftLastWriteTime.dwHighDateTime == file.lastWrite.dwHighDateTime)
            continue;
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileW(path)) removed(file.path);
    }
}
