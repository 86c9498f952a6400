// The folders at a drive root that hold copies of over-length files while a
// backup runs: "_Exception1" keeps the tail of a file's path, "_Exception2"
// only its name. Where the usual folder is a link, a mount point or a file,
// the copies go to the next of "_Exception3", "_Exception4" ... that is not.
#pragma once

#include "atlstr.h"

inline constexpr WCHAR kException1[] = u"_Exception1";
inline constexpr WCHAR kException2[] = u"_Exception2";
inline constexpr WCHAR kExceptionPrefix[] = u"_Exception";
inline constexpr int kLastExceptionFolder = 99;

// "_Exception" followed by n.
inline CString ExceptionFolderName(int n) {
    CString name;
    name.Format(u"%s%d", kExceptionPrefix, n);
    return name;
}

// Whether name is one of the exception folders' names, in any letter case.
inline bool IsExceptionFolderName(const CString& name) {
    for (int n = 1; n <= kLastExceptionFolder; ++n)
        if (name.CompareNoCase(ExceptionFolderName(n)) == 0) return true;
    return false;
}
