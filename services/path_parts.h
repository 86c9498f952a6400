// Splitting and joining of Windows paths, without the length limits of the
// runtime's _wsplitpath_s (over-length paths are split too).
#pragma once

#include <vector>

#include "atlstr.h"

struct PathParts {
    CString drive; // "C:" or empty
    CString dir;   // from after the drive up to and including the last backslash
    CString fname; // name without extension
    CString ext;   // from the last dot of the name, dot included, or empty
};

// Both separators Windows accepts in a path.
inline constexpr WCHAR kPathSeparators[] = u"\\/";
inline bool IsPathSeparator(WCHAR ch) { return ch == u'\\' || ch == u'/'; }
// A name of dots and spaces only: Windows drops trailing dots and spaces, so
// it names the folder itself ("...", ". ") or, as "..", its parent.
bool IsDotsOnlyName(const CString& name);

// Splits like _wsplitpath_s: "/" counts as a separator, the drive is a letter and a colon.
PathParts SplitPath(const CString& path);
// The extension of path's file name with all leading dots removed ("tar.gz" -> "gz").
CString ExtensionOf(const CString& path);
// The drive root of path in upper case ("c:\x" -> "C:\"); empty when path has no drive.
CString DriveRootOf(const CString& path);
// The non-empty names between separators (any character of separators).
std::vector<CString> PathComponents(const CString& path, const WCHAR* separators = u"\\");
// folder with a trailing backslash.
CString WithBackslash(CString folder);
// path with the long-path prefix "\\?\" in front, unless it already contains it.
CString WithLongPathPrefix(const CString& path);
// path without a leading long-path prefix "\\?\".
CString WithoutLongPathPrefix(const CString& path);
// The full path of path (GetFullPathNameW at any length); empty when it cannot be formed.
CString FullPathOf(const CString& path);
// The full path of path without a leading long-path prefix, "." and ".." resolved.
CString NormalFullPathOf(const CString& path);
