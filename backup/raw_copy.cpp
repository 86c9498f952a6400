#include "backup/raw_copy.h"

#include "api/dbglog.h"
#include "api/file_utils.h"
#include "api/notify.h"
#include "api/path_parts.h"
#include "backup/disk_names.h"
#include "restore/directories.h"

namespace {

const DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// False only when the volume of folder reports fewer free bytes than size.
bool FitsOnVolume(const CString& folder, ULONGLONG size) {
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExW(folder, &available, &total, &free)) return true;
    return size <= free.QuadPart;
}

// CopyFileW (which gives the copy the source's attributes and times) to a
// new file. A file already there whose name differs only by case is another
// copy: this one then gets a file of its own name first. A file of exactly
// this name is the copy of this very source, listed once more.
BOOL CopyToNewFile(const CString& from, const CString& to) {
    if (CopyFileW(from, to, TRUE)) return TRUE;
    if (GetLastError() != ERROR_FILE_EXISTS) return FALSE;
    const HANDLE own = CreateFileW(to, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_POSIX_SEMANTICS, nullptr);
    if (own == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(own);
    if (CopyFileW(from, to, FALSE)) return TRUE;
    DeleteFileForced(to);
    return FALSE;
}

void ReportFailed(int code, const CString& source) {
    DbgLog(ErrorText(code), source.GetString());
    PostErrorPath(code, source);
}

// Where the copies of the files of one source folder go.
struct TargetFolder {
    CString path;      // target of the folder, with a trailing backslash
    bool made = false; // all its levels exist, with the source folders' attributes
};

}  // namespace

RawCopyResult RawCopy(std::vector<CString>* paths, const CString& targetFolder) {
    if (!paths) return RAW_COPY_INCOMPLETE;
    const std::vector<CString> sources = *paths;
    const CString target = WithBackslash(targetFolder);
    bool complete = true, copiedAny = false;
    size_t position = 0;  // index of the current source in *paths
    CDiskNames diskNames;
    std::vector<DiskEntry> levels;
    TargetFolder folder;
    for (const CString& source : sources) {
        const CString fullSource = NormalFullPathOf(source);
        if (!diskNames.Lookup(fullSource, &levels)) {
            paths->erase(paths->begin() + static_cast<std::ptrdiff_t>(position));
            ReportFailed(MSG_ERROR_COPYDATA_CANNOT_FIND, source);
            continue;
        }
        ++position;

        // <target><drive letter>\<names as on disk>; links on the way are not followed.
        CString from = DriveRootOf(fullSource), to = target + from.Left(1) + u"\\";
        bool throughLink = false;
        for (size_t i = 0; i + 1 < levels.size(); ++i) {
            from += levels[i].name + u"\\";
            to += levels[i].name + u"\\";
            throughLink = throughLink || (levels[i].attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        }
        if (throughLink) {
            complete = false;
            ReportFailed(MSG_ERROR_COPYDATA_FAILED, source);
            continue;
        }
        if (to != folder.path) {
            folder.path = to;
            folder.made = CreateDirectories(to) == 0;
            // Folder levels take their source's attributes, as copied files do.
            CString level = target + from.Left(1);
            for (size_t i = 0; folder.made && i + 1 < levels.size(); ++i) {
                level += u"\\" + levels[i].name;
                if (levels[i].attributes & kCopiedAttributes)
                    SetFileAttributesW(WithLongPathPrefix(level), levels[i].attributes & kCopiedAttributes);
            }
        }
        if (!folder.made) {
            complete = false;
            ReportFailed(MSG_ERROR_COPYDATA_FAILED, source);
            continue;
        }
        from = WithLongPathPrefix(from + levels.back().name);
        to = WithLongPathPrefix(to + levels.back().name);

        if (!FitsOnVolume(target, GetFileSize64(from))) {
            ReportFailed(MSG_ERROR_COPYDATA_NOSPACE_FAILED, source);
            return RAW_COPY_STOPPED;
        }
        if (!CopyToNewFile(from, to)) {
            complete = false;
            ReportFailed(MSG_ERROR_COPYDATA_FAILED, source);
            continue;
        }
        copiedAny = true;
        PostProgressPath(from);
        DbgLog(u"Copy %s to %s successfully!", from.GetString(), to.GetString());
        if (!AskContinue()) return RAW_COPY_STOPPED;
    }
    DbgLog(u"Copy raw data end!");
    return complete && copiedAny ? RAW_COPY_DONE : RAW_COPY_INCOMPLETE;
}
