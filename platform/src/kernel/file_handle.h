// File handles of CreateFileW and volume-device handles of "\\.\X:".
#pragma once

#include <unistd.h>

#include "handles.h"
#include "share_modes.h"

struct QxFileHandle : QxHandle {
    QxFileHandle(int descriptor, const QxAccess& granted) : fd(descriptor), access(granted) {}
    bool Close() override;
    int fd;
    QxAccess access;
};

struct QxVolumeHandle : QxHandle {
    explicit QxVolumeHandle(WCHAR driveLetter) : letter(driveLetter) {}
    WCHAR letter;
};

// The file handle behind h, or nullptr with the last error set.
QxFileHandle* QxFileHandleFrom(HANDLE h);

// Opens "\\.\X:"; *isDevice tells whether the path was a device path at all.
HANDLE QxOpenVolumeDevice(LPCWSTR path, bool* isDevice);
