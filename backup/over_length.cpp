#include "backup/over_length.h"

#include "api/path_parts.h"
#include "restore/directories.h"

namespace {

const WCHAR kException1[] = u"_Exception1";
const WCHAR kException2[] = u"_Exception2";
const WCHAR kReName[] = u"_ReName";

bool Exists(const CString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// Name to keep in "_Exception2": the file's name, or "_ReName" with its
// extension when the name alone is over the limit.
CString NameForException2(const PathParts& parts) {
    CString name = parts.fname + parts.ext;
    return name.GetLength() > kOverLengthLimit ? CString(kReName) + parts.ext : name;
}

}  // namespace

bool IsOverLength(const CString& path) { return path.GetLength() > kOverLengthLimit; }

int CopyWithLongPathPrefix(const CString& source, const CString& target, DWORD folderAttributes) {
    CreateDirectories(target, folderAttributes);
    return CopyFileW(WithLongPathPrefix(source), WithLongPathPrefix(target), FALSE) ? 1 : 0;
}

int CopyToFreeName(const CString& source, CString& target) {
    if (Exists(target)) {
        PathParts parts = SplitPath(target);
        CString candidate;
        for (int n = 1;; ++n) {
            candidate.Format(u"%s%s%s_%02d%s", parts.drive.GetString(), parts.dir.GetString(),
                             parts.fname.GetString(), n, parts.ext.GetString());
            if (!Exists(candidate)) break;
        }
        target = candidate;
    }
    return CopyWithLongPathPrefix(source, target, FILE_ATTRIBUTE_HIDDEN);
}

int RelocateOverLength(CString& path) {
    PathParts parts = SplitPath(path);
    CString root = parts.drive + u"\\";
    CString exception2 = root + kException2 + u"\\";
    CString target;
    int copied = 0;
    if ((parts.fname + parts.ext).GetLength() > kOverLengthLimit) {
        target = exception2 + NameForException2(parts);
        copied = CopyToFreeName(path, target);
    } else {
        int lastBackslash = path.Left(kOverLengthLimit).ReverseFind(u'\\');
        if (lastBackslash < 0) return 0;
        CString tail = path.Mid(lastBackslash + 1);
        if (tail.GetLength() > kOverLengthLimit) {
            target = exception2 + NameForException2(parts);
            copied = CopyToFreeName(path, target);
        } else {
            CString exception1 = root + kException1 + u"\\";
            CreateDirectories(exception1, FILE_ATTRIBUTE_HIDDEN);
            target = exception1 + tail;
            copied = CopyWithLongPathPrefix(path, target, 0);
        }
    }
    path = target;
    return copied;
}
