#include "backup/raw_copy.h"

#include <string>

#include "api/dbglog.h"
#include "api/notify.h"
#include "api/path_parts.h"
#include "api/file_utils.h"
#include "restore/directories.h"

namespace {

const WCHAR kLongPathPrefix[] = u"\\\\?\\";

// The absolute, normalised form of path ("." and ".." resolved, long-path
// prefix dropped); empty when it cannot be formed.
CString FullSourcePath(const CString& path) {
    return FullPathOf(path.Find(kLongPathPrefix) == 0 ? path.Mid(4) : path);
}

// <targetFolder><drive letter><rest of the path>: E:\Users\a.txt -> <target>E\Users\a.txt.
// The source is normalised first, so ".." in it cannot lead out of the target folder.
CString MirrorPath(const CString& targetFolder, const CString& fullSource) {
    const int colon = fullSource.Find(u':');
    if (colon < 0) return targetFolder + fullSource;
    return targetFolder + fullSource.Left(colon) + fullSource.Mid(colon + 1);
}

// False only when the volume of folder reports fewer free bytes than size.
bool FitsOnVolume(const CString& folder, ULONGLONG size) {
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExW(folder, &available, &total, &free)) return true;
    return size <= free.QuadPart;
}

// CopyFileW, which gives the copy the source's attributes. When overwriting,
// an earlier copy that refuses to be replaced (read-only) is ours: it gets
// normal attributes for a second try, and its own back if that fails too.
BOOL CopyTo(const CString& from, const CString& to, BOOL overwrite) {
    if (CopyFileW(from, to, !overwrite)) return TRUE;
    if (!overwrite || GetLastError() != ERROR_ACCESS_DENIED) return FALSE;
    const DWORD attributes = GetFileAttributesW(to);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return FALSE;
    SetFileAttributesW(to, FILE_ATTRIBUTE_NORMAL);
    if (CopyFileW(from, to, FALSE)) return TRUE;
    SetFileAttributesW(to, attributes);
    return FALSE;
}

int ReportCopyFailed(const CString& source) {
    DbgLog(ErrorText(MSG_ERROR_COPYDATA_FAILED), source.GetString());
    PostError(MSG_ERROR_COPYDATA_FAILED);
    return 1;
}

}  // namespace

int RawCopy(std::vector<CString>* paths, CString targetFolder, BOOL overwrite) {
    if (!paths) return 1;
    const std::vector<CString> sources = *paths;
    targetFolder = WithBackslash(targetFolder);
    int result = 1;
    size_t position = 0;  // index of the current source in *paths
    CString madeFolder;   // the folder of the previous copy, known to exist
    for (const CString& source : sources) {
        if (GetFileAttributesW(source) == INVALID_FILE_ATTRIBUTES) {
            paths->erase(paths->begin() + static_cast<std::ptrdiff_t>(position));
            DbgLog(ErrorText(MSG_ERROR_COPYDATA_CANNOT_FIND), source.GetString());
            PostError(MSG_ERROR_COPYDATA_CANNOT_FIND);
            continue;
        }
        ++position;

        const CString fullSource = FullSourcePath(source);
        if (fullSource.IsEmpty()) {
            result = ReportCopyFailed(source);
            continue;
        }
        const CString target = MirrorPath(targetFolder, fullSource);
        // Files of one folder come one after another: their folder is made once.
        const CString folder = target.Left(target.ReverseFind(u'\\') + 1);
        if (folder != madeFolder) {
            result = CreateDirectories(target);
            if (result != 0) continue;
            madeFolder = folder;
        }

        if (!FitsOnVolume(targetFolder, GetFileSize64(source))) {
            DbgLog(ErrorText(MSG_ERROR_COPYDATA_NOSPACE_FAILED), source.GetString());
            PostError(MSG_ERROR_COPYDATA_NOSPACE_FAILED);
            DeleteFolderTree(targetFolder);
            return 1;
        }

        // The source is only read, so its attributes are never touched; the
        // copy takes them over from it.
        const CString from = WithLongPathPrefix(fullSource);
        const CString to = WithLongPathPrefix(target);
        if (!CopyTo(from, to, overwrite)) {
            result = ReportCopyFailed(source);
            continue;
        }
        PostProgressPath(from);
        DbgLog(u"Copy %s to %s successfully!", from.GetString(), to.GetString());
        result = 0;
        if (!AskContinue()) {
            DeleteFolderTree(targetFolder);
            return 1;
        }
    }
    DbgLog(u"Copy raw data end!");
    return result;
}
