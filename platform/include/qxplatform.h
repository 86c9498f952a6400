// Services of this platform layer that have no Win32 counterpart: the mapping
// between Windows paths and host paths, the drive table, and test hooks.
#pragma once

#include <string>

#include "atlstr.h"

// Drive table. By default the host's mounts: "/" is C:, further block-device
// file systems D:, E:, ... in mount order. The variable QXFM_DRIVES replaces it:
//   QXFM_DRIVES="C=/srv/c,fixed,active;D=/media/usb,removable;E=/tmp/e,fixed,noopen,free=1048576"
// Kinds: fixed, removable, remote, cdrom, ramdisk. Options: active (the boot
// partition), noopen (opening the volume device fails with access denied),
// free=BYTES (free space reported for the volume).
struct QxDrive {
    WCHAR letter = 0;        // upper case
    std::string hostRoot;    // host folder, no trailing slash ("" for "/")
    UINT type = DRIVE_FIXED; // DRIVE_* value
    bool active = false;
    bool noOpen = false;
    bool hasFreeOverride = false;
    ULONGLONG freeBytes = 0;
};

// A malformed QXFM_DRIVES leaves the process without drives:
// GetLogicalDriveStringsW then fails with ERROR_BAD_CONFIGURATION, whose
// FormatMessageW text names the entry and what is wrong with it.
//
// Re-reads the drive table from a text in the QXFM_DRIVES syntax; an empty
// text restores the default. Returns false for a malformed text (the table is
// kept) and when the default is a malformed QXFM_DRIVES.
QXPLATFORM_API bool QxSetDriveTable(const std::string& tableText);
// What is wrong with the drive table ("QXFM_DRIVES entry ...: ..."); "" when it is sound.
QXPLATFORM_API std::string QxDriveTableProblem();
// The drive a letter names, or nullptr.
QXPLATFORM_API const QxDrive* QxFindDrive(WCHAR letter);

// Maps a Windows path (C:\a\b, \\?\C:\a\b, a relative path, \a\b on the current
// drive) to a host path. Components that do not exist as spelled are matched
// ignoring case, as on Windows; one that matches several names that way (they
// differ only by case) is not guessed. Returns false with *error set to a Win32
// code (ERROR_PATH_NOT_FOUND, ERROR_INVALID_DRIVE, ERROR_INVALID_NAME,
// ERROR_CANT_RESOLVE_FILENAME for the ambiguous match) when the path cannot be mapped.
QXPLATFORM_API bool QxToHostPath(LPCWSTR winPath, std::string& hostPath, DWORD* error = nullptr);
// Maps a host path back to its Windows form through the drive whose host root
// is the longest prefix; returns an empty string when no drive holds it.
QXPLATFORM_API CString QxFromHostPath(const std::string& hostPath);

// Sets the thread's last error from an errno value.
QXPLATFORM_API DWORD QxSetLastErrorFromErrno(int err);

// The text of the last MessageBoxW call in this process (for tests).
QXPLATFORM_API CString QxLastMessageBoxText();

// Named kernel objects live in a namespace chosen by QXFM_NAMESPACE (default
// "default"); each test process sets its own so parallel runs stay apart.
QXPLATFORM_API std::string QxObjectNamespaceDir();
