// Windows share modes across processes, kept as open-file-description locks
// far beyond any file's end: each open holds a shared lock on one byte per
// access it has and one per access it denies to others.
#pragma once

#include "windows.h"

struct QxAccess {
    bool read = false;
    bool write = false;
    bool remove = false;
};

// Registers the open fd (which must be readable) with its access and share
// mode; false when another open conflicts (ERROR_SHARING_VIOLATION). created:
// the open has just made the file (O_EXCL), which is then not checked.
bool QxAcquireShareMode(int fd, const QxAccess& access, DWORD shareMode, bool created);

// True when no open of the file denies deleting it (fd: any open of it).
bool QxShareAllowsDelete(int fd);
