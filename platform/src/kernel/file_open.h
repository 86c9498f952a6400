// Opening a file with CreateFileW's rules: dispositions, share modes,
// read-only protection and the attributes of new files.
#pragma once

#include "path_map.h"
#include "share_modes.h"

struct QxOpenRequest {
    QxAccess access;
    DWORD shareMode = 0;
    DWORD disposition = OPEN_EXISTING;
    DWORD attributes = 0;     // attributes of a created (or CREATE_ALWAYS replaced) file
    bool append = false;      // every write goes to the end
    bool refuseHidden = true; // CREATE_ALWAYS fails on a hidden or system file not given those bits
};

// The open descriptor, or -1 with *error set. *existed tells whether the
// file was there before.
int QxOpenFile(const QxHostPath& path, const QxOpenRequest& request, bool* existed, DWORD* error);
