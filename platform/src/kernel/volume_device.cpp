// The volume devices "\\.\X:" and their partition query.
#include <sys/statvfs.h>
#include <sys/stat.h>

#include <cstring>

#include "drive_table.h"
#include "file_handle.h"
#include "last_error.h"
#include "win_path.h"

namespace {

constexpr BYTE kPartitionTypeIfs = 0x07;

}  // namespace

HANDLE QxOpenVolumeDevice(LPCWSTR path, bool* isDevice) {
    *isDevice = false;
    if (!path || !QxHasLongPrefix(path) || path[2] != u'.') return INVALID_HANDLE_VALUE;
    for (const WCHAR* p = path + 4; *p; ++p)
        if (QxIsPathSeparator(*p)) return INVALID_HANDLE_VALUE;  // a file below a device path
    *isDevice = true;
    const WCHAR* name = path + 4;
    const QxDrive* drive = name[0] && name[1] == u':' && !name[2] ? QxFindDrive(name[0]) : nullptr;
    struct stat st;
    if (!drive || stat(QxDriveRootDir(*drive).c_str(), &st) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (drive->noOpen) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    try {
        HANDLE h = new QxVolumeHandle(drive->letter);
        SetLastError(ERROR_SUCCESS);
        return h;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
}

BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID, DWORD, LPVOID lpOutBuffer, DWORD nOutBufferSize,
                     LPDWORD lpBytesReturned, LPVOID lpOverlapped) {
    if (lpBytesReturned) *lpBytesReturned = 0;
    QxHandle* handle = QxHandleFrom(hDevice);
    if (!handle) return QxFail(ERROR_INVALID_HANDLE);
    auto* volume = dynamic_cast<QxVolumeHandle*>(handle);
    if (!volume || dwIoControlCode != IOCTL_DISK_GET_PARTITION_INFO) return QxFail(ERROR_INVALID_FUNCTION);
    if (lpOverlapped) return QxFail(ERROR_INVALID_PARAMETER);
    if (!lpOutBuffer || nOutBufferSize < sizeof(PARTITION_INFORMATION)) return QxFail(ERROR_INSUFFICIENT_BUFFER);
    const QxDriveTable& table = QxCurrentDriveTable();
    const QxDrive* drive = table.byLetter[volume->letter - u'A'];
    struct statvfs vfs;
    if (!drive || statvfs(QxDriveRootDir(*drive).c_str(), &vfs) != 0) return QxFail(ERROR_GEN_FAILURE);
    PARTITION_INFORMATION info;
    std::memset(&info, 0, sizeof info);
    info.StartingOffset.QuadPart = 0;
    info.PartitionLength.QuadPart = static_cast<LONGLONG>(static_cast<ULONGLONG>(vfs.f_blocks) * vfs.f_frsize);
    info.HiddenSectors = 0;
    info.PartitionNumber = static_cast<DWORD>(drive - table.drives.data()) + 1;
    info.PartitionType = kPartitionTypeIfs;
    info.BootIndicator = drive->active ? 1 : 0;
    info.RecognizedPartition = 1;
    info.RewritePartition = 0;
    std::memcpy(lpOutBuffer, &info, sizeof info);
    if (lpBytesReturned) *lpBytesReturned = sizeof info;
    return TRUE;
}
