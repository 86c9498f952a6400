// The one rule for every path a restore reads, writes, deletes or creates a
// folder for: it lies below the folder the restore owns, and reaches its place
// there without passing through a link or a mount point.
#pragma once

#include "atlstr.h"

// *relocated = target (ending in a backslash) + path without its leading drive
// text (compared ignoring case). False, leaving *relocated alone, when the
// result would not lie below target: a path on another drive, a rooted or
// network path, a "." or ".." component, or nothing left after the drive.
bool RelocateBelow(const CString& target, const CString& drive, const CString& path, CString* relocated);

// What a walk from root down to a path met.
struct PathBelow {
    enum Refusal { None, NotBelow, Link };
    Refusal refusal = NotBelow;
    CString stop;          // the entry that refuses the path
    DWORD reparseTag = 0;  // its reparse tag, for a link
    CString firstMissing;  // the first level that does not exist yet (empty when the path exists)
    bool usable() const { return refusal == None; }
};

// Walks path (root + names, root ending in a backslash; a folder path may end
// in one too) name by name below root, without following links. Each name
// counts only as spelled: one that the file system holds only in other letter
// case is missing. The last name may be a file; any entry that is a reparse
// point refuses the path.
PathBelow CheckBelow(const CString& root, const CString& path);

// CheckBelow, and when the path is refused: a debug-log line naming the entry
// and its reparse tag, and code posted. True when the path is usable.
bool UsableBelow(const CString& root, const CString& path, int code);
