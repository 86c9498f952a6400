// Windows path syntax: taking a path apart, resolving it against the current
// directory and putting it back together, without touching the file system.
#pragma once

#include <string>
#include <vector>

#include "windows.h"

struct QxResolvedPath {
    WCHAR drive = 0;                    // upper case; 0: outside every drive, parts start at the host root
    std::vector<std::u16string> parts;  // "." and ".." already applied
    bool trailingSeparator = false;     // the path ended in a backslash
};

// Resolves a Windows path as GetFullPathNameW does: drive paths, "\\?\" paths,
// "\x" on the current drive, "X:rel" and relative paths against the current
// directory; "/" counts as "\". False with *error for empty, UNC and device paths.
bool QxResolveWinPath(const WCHAR* path, QxResolvedPath& out, DWORD* error);

// The process's current directory as a resolved path.
QxResolvedPath QxCurrentDirectory();

// "C:\a\b" (with the trailing backslash when set); empty when drive is 0.
std::u16string QxFormatWinPath(const QxResolvedPath& path);

// Both separators of a Windows path.
inline bool QxIsPathSeparator(WCHAR c) { return c == u'\\' || c == u'/'; }

// True for "\\?\" and "\\.\" prefixed paths, which Windows leaves as they are.
bool QxHasLongPrefix(const WCHAR* path);
