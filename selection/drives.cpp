#include "selection/drives.h"

#include "services/dbglog.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "services/scoped_handle.h"

void LogPhysicalMemory() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    DbgLog(u"[Device Info]There are %d MB", static_cast<int>(static_cast<DWORD>(status.ullTotalPhys / 1048576)));
}

bool IsScannableDrive(const CString& path) {
    if (path.IsEmpty()) return true;
    const CString drive = SplitPath(path).drive;
    const CString root = drive + u"\\";
    if (GetDriveTypeW(root) != DRIVE_FIXED) {
        PostErrorPath(MSG_ERROR_DRIVE_INFO_FAILED, root);
        return false;
    }
    const CString device = CString(u"\\\\.\\") + drive;
    ScopedFileHandle volume(CreateFileW(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    if (!volume) {
        ReportError(MSG_ERROR_DRIVE_OPEN_FAILED, root.GetString());
        return false;
    }
    PARTITION_INFORMATION partition = {};
    DWORD returned = 0;
    const BOOL queried = DeviceIoControl(volume.get(), IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &partition,
                                         sizeof partition, &returned, nullptr);
    volume.reset();
    if (!queried) {
        ReportErrorPath(MSG_ERROR_DRIVE_INFO_FAILED, device);
        return false;
    }
    return partition.BootIndicator == 0;
}

void ListScanRoots(std::vector<CString>* roots) {
    WCHAR buffer[MAX_PATH + 1] = {};
    const DWORD length = GetLogicalDriveStringsW(MAX_PATH, buffer);
    if (length == 0 || length > MAX_PATH) return;
    for (const WCHAR* entry = buffer; *entry && entry < buffer + length;) {
        const CString root(entry);
        entry += root.GetLength() + 1;
        if (IsScannableDrive(root)) {
            DbgLog(OperationText(MSG_OPERATION_SCAN_DRIVE), root.GetString());
            PostOperationPath(MSG_OPERATION_SCAN_DRIVE, root);
            CString upper = root;
            roots->push_back(upper.MakeUpper());
        } else {
            ReportErrorPath(MSG_ERROR_DRIVE_INVALID, root);
        }
    }
}

double GetUsedBytes(const CString& root) {
    ULARGE_INTEGER total = {}, free = {};
    if (!GetDiskFreeSpaceExW(root, nullptr, &total, &free)) return 0;
    return static_cast<double>(total.QuadPart) - static_cast<double>(free.QuadPart);
}
