#include "backup/over_length.h"

#include <vector>

#include "services/contained_path.h"
#include "services/dbglog.h"
#include "services/exception_folders.h"
#include "services/path_parts.h"
#include "services/run_journal.h"
#include "backup/journaled_folders.h"

namespace {

const WCHAR kReName[] = u"_ReName";

bool Exists(const CString& path) { return GetFileAttributesW(WithLongPathPrefix(path)) != INVALID_FILE_ATTRIBUTES; }

// Name to keep in "_Exception2": the file's name, or "_ReName" with its
// extension when the name alone is over the limit.
CString NameForException2(const PathParts& parts) {
    CString name = parts.fname + parts.ext;
    return name.GetLength() > kOverLengthLimit ? CString(kReName) + parts.ext : name;
}

// Copies source to target, or to target with "_01", "_02" ... before its
// extension, never over an existing file; target becomes the name tried last.
bool CopyToFreeName(const CString& source, CString& target, DWORD folderAttributes, RunJournal& journal) {
    const PathParts parts = SplitPath(target);
    CString candidate = target;
    for (int n = 1;; ++n) {
        if (!Exists(candidate)) {
            target = candidate;
            if (!journal.WillCreate(candidate) || !MakeFoldersFor(candidate, folderAttributes, journal)) return false;
            if (CopyFileW(WithLongPathPrefix(source), WithLongPathPrefix(candidate), TRUE)) return true;
            if (GetLastError() != ERROR_FILE_EXISTS) return false;
            journal.NotCreated(candidate);  // taken meanwhile
        }
        candidate.Format(u"%s%s%s_%02d%s", parts.drive.GetString(), parts.dir.GetString(), parts.fname.GetString(), n,
                         parts.ext.GetString());
    }
}

// The first exception folder at root, from the usual one on, in which below
// has a plain place: the folder is no file, and nothing on the way is a link
// or mount point, so that nothing is made or copied outside the drive. Empty
// when there is none.
CString PlainExceptionFolder(const CString& root, int usual, const CString& below) {
    for (int n = usual; n <= kLastExceptionFolder; n = n == usual ? 3 : n + 1) {
        const CString folder = ExceptionFolderName(n);
        const DWORD attributes = GetFileAttributesW(WithLongPathPrefix(root + folder));
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (CheckBelow(root, root + folder + u"\\" + below).usable()) return folder;
    }
    return CString();
}

}  // namespace

bool IsOverLength(const CString& path) { return path.GetLength() > kOverLengthLimit; }

bool RelocateOverLength(CString& path, RunJournal& journal) {
    const PathParts parts = SplitPath(path);
    const CString root = parts.drive + u"\\";
    int usual = 2;
    CString below = NameForException2(parts);
    DWORD folderAttributes = FILE_ATTRIBUTE_HIDDEN;
    if ((parts.fname + parts.ext).GetLength() <= kOverLengthLimit) {
        const int lastBackslash = path.Left(kOverLengthLimit).ReverseFind(u'\\');
        if (lastBackslash < 0) return false;
        const CString tail = path.Mid(lastBackslash + 1);
        if (tail.GetLength() <= kOverLengthLimit) {
            usual = 1;
            below = tail;
            folderAttributes = 0;
        }
    }
    const CString folder = PlainExceptionFolder(root, usual, below);
    CString target = root + (folder.IsEmpty() ? ExceptionFolderName(usual) : folder) + u"\\" + below;
    journal.KeepFolderTime(root);
    if (folder.IsEmpty()) {
        DbgLog(u"No exception folder at %s can take %s: each is a link, a mount point or a file", root.GetString(),
               path.GetString());
        path = target;
        return false;
    }
    if (usual == 1 && !MakeFoldersFor(root + folder + u"\\", FILE_ATTRIBUTE_HIDDEN, journal)) {
        path = target;
        return false;
    }
    const bool copied = CopyToFreeName(path, target, folderAttributes, journal);
    path = target;
    return copied;
}
