// What Windows reports about a file: attributes, size and times, read from
// the host's metadata and the DOS bits kept in the "user.DOSATTRIB" attribute.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "windows.h"

// DOS bits that SetFileAttributesW stores.
constexpr DWORD kQxDosBitsMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | 0x1000 /* offline */ |
                                 FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD kQxReparseTagMountPoint = 0xA0000003;
constexpr DWORD kQxReparseTagSymlink = 0xA000000C;

struct QxFileInfo {
    DWORD attributes = 0;
    ULONGLONG size = 0;
    FILETIME creation{}, lastAccess{}, lastWrite{};
    DWORD reparseTag = 0;
    mode_t mode = 0;
};

// Metadata of name relative to dirfd (AT_FDCWD for a path), not following a
// final symlink. A drive root is never reported as a mount point. False with
// errno set when the entry cannot be read.
bool QxQueryFileInfo(int dirfd, const char* name, QxFileInfo& info, bool isDriveRoot = false);
// The same for an open descriptor; *raw, when given, receives the host's
// own answer (times to the nanosecond).
bool QxQueryFileInfoFd(int fd, QxFileInfo& info, struct statx* raw = nullptr);

// Stores the DOS bits (removes the attribute for 0). A file system that takes
// no user attributes is not an error: read-only lives in the mode bits.
bool QxWriteDosBits(const std::string& hostPath, DWORD bits);
bool QxWriteDosBitsFd(int fd, DWORD bits);

// Read-only as the mode bits tell it: no write permission for anyone.
inline bool QxModeIsReadOnly(mode_t mode) { return (mode & 0222) == 0; }
// The mode with write permission removed, or restored for the owner (and for
// group and others where they may read, as the umask allows).
mode_t QxModeWithReadOnly(mode_t mode, bool readOnly);
