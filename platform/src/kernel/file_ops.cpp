// DeleteFileW, MoveFileExW, CreateDirectoryW, RemoveDirectoryW.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "file_info.h"
#include "last_error.h"
#include "name_lookup.h"
#include "path_map.h"
#include "share_modes.h"

namespace {

// Maps a path that must exist; false with the last error set.
bool MapExisting(LPCWSTR path, QxHostPath& mapped, QxFileInfo& info) {
    DWORD error = 0;
    if (!QxMapPath(path, mapped, &error)) return QxFail(error);
    if (!mapped.exists) return QxFail(mapped.NotFoundError());
    if (!QxQueryFileInfo(AT_FDCWD, mapped.path.c_str(), info, mapped.IsDriveRoot()))
        return QxFail(mapped.ErrorFromErrno(errno));
    return true;
}

// True when an open of the file denies deleting it.
bool DeleteDenied(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    bool denied = !QxShareAllowsDelete(fd);
    close(fd);
    return denied;
}

bool IsDirectoryTarget(const std::string& link) {
    struct stat st;
    return stat(link.c_str(), &st) != 0 || S_ISDIR(st.st_mode);  // a dangling link may have named a folder
}

BOOL Delete(LPCWSTR name) {
    QxHostPath mapped;
    QxFileInfo info;
    if (!MapExisting(name, mapped, info)) return FALSE;
    if (S_ISDIR(info.mode)) return QxFail(ERROR_ACCESS_DENIED);
    if (!S_ISLNK(info.mode)) {
        if (info.attributes & FILE_ATTRIBUTE_READONLY) return QxFail(ERROR_ACCESS_DENIED);
        if (DeleteDenied(mapped.path)) return QxFail(ERROR_SHARING_VIOLATION);
    }
    if (unlink(mapped.path.c_str()) != 0) return QxFail(mapped.ErrorFromErrno(errno));
    return TRUE;
}

// A file renamed within its volume; an existing target file (named exactly so)
// is replaced only when asked.
BOOL Move(LPCWSTR from, LPCWSTR to, DWORD flags) {
    QxHostPath source, target;
    QxFileInfo info;
    if (!MapExisting(from, source, info)) return FALSE;
    DWORD error = 0;
    if (!QxMapNewName(to, target, &error)) return QxFail(error);
    if (target.parentMissing) return QxFail(ERROR_PATH_NOT_FOUND);
    if (source.drive != target.drive) return QxFail(ERROR_NOT_SAME_DEVICE);
    if (target.exists) {
        QxFileInfo existing;
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) return QxFail(ERROR_ALREADY_EXISTS);
        if (!QxQueryFileInfo(AT_FDCWD, target.path.c_str(), existing, false)) return QxFail(target.ErrorFromErrno(errno));
        if (S_ISDIR(existing.mode) || S_ISDIR(info.mode) || (existing.attributes & FILE_ATTRIBUTE_READONLY))
            return QxFail(ERROR_ACCESS_DENIED);
    }
    if (rename(source.path.c_str(), target.path.c_str()) != 0) return QxFail(target.ErrorFromErrno(errno));
    QxNoteCreated(target.path);
    return TRUE;
}

// The new folder's name is taken as spelled, as a rename's new name is: a
// folder whose name differs from it only in case is another folder.
BOOL CreateFolder(LPCWSTR name) {
    QxHostPath mapped;
    DWORD error = 0;
    if (!QxMapNewName(name, mapped, &error)) return QxFail(error);
    if (mapped.IsDriveRoot() || mapped.exists) return QxFail(ERROR_ALREADY_EXISTS);
    if (mapped.parentMissing) return QxFail(ERROR_PATH_NOT_FOUND);
    if (mkdir(mapped.path.c_str(), 0777) != 0)
        return QxFail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : QxWin32FromErrno(errno));
    QxNoteCreated(mapped.path);
    return TRUE;
}

BOOL RemoveFolder(LPCWSTR name) {
    QxHostPath mapped;
    QxFileInfo info;
    if (!MapExisting(name, mapped, info)) return FALSE;
    if (mapped.IsDriveRoot()) return QxFail(ERROR_ACCESS_DENIED);
    if (S_ISLNK(info.mode)) {
        if (!IsDirectoryTarget(mapped.path)) return QxFail(ERROR_DIRECTORY);
        if (unlink(mapped.path.c_str()) != 0) return QxFail(mapped.ErrorFromErrno(errno));
        return TRUE;
    }
    if (!S_ISDIR(info.mode)) return QxFail(ERROR_DIRECTORY);
    if (info.attributes & FILE_ATTRIBUTE_READONLY) return QxFail(ERROR_ACCESS_DENIED);
    // A mounted volume is never unmounted or emptied from here.
    if (info.reparseTag == kQxReparseTagMountPoint) return QxFail(ERROR_ACCESS_DENIED);
    if (rmdir(mapped.path.c_str()) != 0) {
        int err = errno == EEXIST ? ENOTEMPTY : errno;
        return QxFail(mapped.ErrorFromErrno(err));
    }
    return TRUE;
}

}  // namespace

BOOL DeleteFileW(LPCWSTR lpFileName) {
    try {
        return Delete(lpFileName);
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
    try {
        return Move(lpExistingFileName, lpNewFileName, dwFlags);
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    try {
        return CreateFolder(lpPathName);
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
    try {
        return RemoveFolder(lpPathName);
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
