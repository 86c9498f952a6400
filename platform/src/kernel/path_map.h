// Windows paths mapped to host paths through the drive table.
#pragma once

#include <string>

#include "drive_table.h"
#include "win_path.h"

struct QxHostPath {
    std::string path;              // host path
    QxResolvedPath win;            // the Windows path it came from, resolved
    const QxDrive* drive = nullptr;  // nullptr for a relative path outside every drive
    bool exists = false;           // the last component exists (not followed)
    bool parentMissing = false;    // a folder on the way is missing or is not a folder
    bool IsDriveRoot() const { return drive && win.parts.empty(); }
    // ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND, as Windows tells them apart.
    DWORD NotFoundError() const { return parentMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND; }
    // The last error for a failed host call on this path.
    DWORD ErrorFromErrno(int err) const;
};

// Maps a Windows path; components that do not exist as spelled are matched
// ignoring case, unless exactCase is set. False with *error for a path that
// cannot name a host file.
bool QxMapPath(const WCHAR* winPath, QxHostPath& out, DWORD* error, bool exactCase = false);

// The host path as the Windows path spells it, taken to exist, without looking
// at the disk: most paths name an entry in its stored spelling, so a call that
// tries this first and maps the path only when the entry is not found there
// saves the look-up. False for a drive root or a path QxMapPath would refuse.
bool QxSpellPath(const WCHAR* winPath, QxHostPath& out);

// Maps the name a call is about to give an entry (a rename's new name): the
// folders on the way as QxMapPath finds them, the last name exactly as spelled,
// since an entry whose name differs from it only in case is another entry.
bool QxMapNewName(const WCHAR* winPath, QxHostPath& out, DWORD* error);

// The same for a resolved path.
bool QxMapResolved(const QxResolvedPath& win, QxHostPath& out, DWORD* error, bool exactCase = false);
