// GetFileAttributesW, GetFileAttributesExW, SetFileAttributesW.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "file_info.h"
#include "last_error.h"
#include "path_map.h"

namespace {

// Maps and reads a path's metadata; false with the last error set.
bool QueryPath(LPCWSTR path, QxHostPath& mapped, QxFileInfo& info) {
    DWORD error = 0;
    if (!QxMapPath(path, mapped, &error)) return QxFail(error);
    if (!mapped.exists && !mapped.IsDriveRoot()) return QxFail(mapped.NotFoundError());
    if (!QxQueryFileInfo(AT_FDCWD, mapped.path.c_str(), info, mapped.IsDriveRoot()))
        return QxFail(mapped.ErrorFromErrno(errno));
    return true;
}

}  // namespace

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
    try {
        QxHostPath mapped;
        QxFileInfo info;
        return QueryPath(lpFileName, mapped, info) ? info.attributes : INVALID_FILE_ATTRIBUTES;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_FILE_ATTRIBUTES;
    }
}

BOOL GetFileAttributesExW(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation) {
    if (fInfoLevelId != GetFileExInfoStandard || !lpFileInformation) return QxFail(ERROR_INVALID_PARAMETER);
    try {
        QxHostPath mapped;
        QxFileInfo info;
        if (!QueryPath(lpFileName, mapped, info)) return FALSE;
        auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(lpFileInformation);
        data->dwFileAttributes = info.attributes;
        data->ftCreationTime = info.creation;
        data->ftLastAccessTime = info.lastAccess;
        data->ftLastWriteTime = info.lastWrite;
        data->nFileSizeHigh = static_cast<DWORD>(info.size >> 32);
        data->nFileSizeLow = static_cast<DWORD>(info.size);
        return TRUE;
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes) {
    if (dwFileAttributes == INVALID_FILE_ATTRIBUTES) return QxFail(ERROR_INVALID_PARAMETER);
    try {
        QxHostPath mapped;
        QxFileInfo info;
        if (!QueryPath(lpFileName, mapped, info)) return FALSE;
        if (S_ISLNK(info.mode)) return TRUE;  // a link carries no attributes of its own here
        DWORD bits = dwFileAttributes & kQxDosBitsMask;
        if (S_ISREG(info.mode)) {
            mode_t mode = QxModeWithReadOnly(info.mode & 07777, (bits & FILE_ATTRIBUTE_READONLY) != 0);
            if (mode != (info.mode & 07777) && chmod(mapped.path.c_str(), mode) != 0)
                return QxFail(mapped.ErrorFromErrno(errno));
        }
        if (!QxWriteDosBits(mapped.path, bits)) return QxFail(mapped.ErrorFromErrno(errno));
        return TRUE;
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
