// GetDiskFreeSpaceExW, GetDriveTypeW, GetLogicalDriveStringsW.
#include <sys/statvfs.h>
#include <sys/stat.h>

#include <cerrno>

#include "last_error.h"
#include "path_map.h"
#include "win_path.h"

namespace {

// The drive a root path ("C:\", "C:", "\\?\C:\") names, or nullptr.
const QxDrive* DriveOfRoot(LPCWSTR root) {
    if (!root) {
        QxResolvedPath cwd = QxCurrentDirectory();
        return cwd.drive ? QxFindDrive(cwd.drive) : nullptr;
    }
    if (QxHasLongPrefix(root)) root += 4;
    if (!root[0] || root[1] != u':') return nullptr;
    if (root[2] && !(QxIsPathSeparator(root[2]) && !root[3])) return nullptr;
    return QxFindDrive(root[0]);
}

}  // namespace

UINT GetDriveTypeW(LPCWSTR lpRootPathName) {
    try {
        const QxDrive* drive = DriveOfRoot(lpRootPathName);
        struct stat st;
        if (!drive || stat(QxDriveRootDir(*drive).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return DRIVE_NO_ROOT_DIR;
        return drive->type;
    } catch (...) {
        return DRIVE_UNKNOWN;
    }
}

DWORD GetLogicalDriveStringsW(DWORD nBufferLength, LPWSTR lpBuffer) {
    const QxDriveTable& table = QxCurrentDriveTable();
    if (!table.problem.empty()) {
        SetLastError(ERROR_BAD_CONFIGURATION);
        return 0;
    }
    DWORD needed = static_cast<DWORD>(table.drives.size()) * 4;  // "C:\" and its null each
    if (nBufferLength < needed + 1 || !lpBuffer) return needed + 1;
    WCHAR* p = lpBuffer;
    for (const QxDrive& d : table.drives) {
        *p++ = d.letter;
        *p++ = u':';
        *p++ = u'\\';
        *p++ = 0;
    }
    *p = 0;
    return needed;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                         PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
    try {
        QxHostPath mapped;
        DWORD error = 0;
        if (!QxMapPath(lpDirectoryName ? lpDirectoryName : u".", mapped, &error)) return QxFail(error);
        if (!mapped.exists) return QxFail(ERROR_PATH_NOT_FOUND);
        struct statvfs vfs;
        if (statvfs(mapped.path.c_str(), &vfs) != 0) return QxFail(mapped.ErrorFromErrno(errno));
        ULONGLONG unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
        ULONGLONG total = vfs.f_blocks * unit;
        ULONGLONG available = vfs.f_bavail * unit;
        ULONGLONG free = vfs.f_bfree * unit;
        const QxDrive* drive = mapped.drive ? mapped.drive : QxDriveHoldingHostPath(mapped.path, nullptr);
        if (drive && drive->hasFreeOverride) {
            // A free size beyond the volume would make the used size negative.
            available = free = drive->freeBytes < total ? drive->freeBytes : total;
        }
        if (lpFreeBytesAvailableToCaller) lpFreeBytesAvailableToCaller->QuadPart = available;
        if (lpTotalNumberOfBytes) lpTotalNumberOfBytes->QuadPart = total;
        if (lpTotalNumberOfFreeBytes) lpTotalNumberOfFreeBytes->QuadPart = free;
        return TRUE;
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
