#include "backup/raw_copy.h"

#include <string>
#include <unordered_set>

#include "services/dbglog.h"
#include "services/file_utils.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "services/scoped_handle.h"
#include "backup/disk_names.h"
#include "backup/raw_folder.h"

namespace {

const DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The free bytes of the backup folder's volume, asked again only when what
// is left of the last answer seems too little: false only when the volume
// itself reports fewer free bytes than a file needs.
class VolumeRoom {
public:
    bool Fits(const CString& folder, ULONGLONG size) {
        if (!m_known || size > m_free) {
            ULARGE_INTEGER available, total, free;
            if (!GetDiskFreeSpaceExW(folder, &available, &total, &free)) return true;
            m_known = true;
            m_free = free.QuadPart;
        }
        if (size > m_free) return false;
        m_free -= size;
        return true;
    }

private:
    bool m_known = false;
    ULONGLONG m_free = 0;
};

// CopyFileW (which gives the copy the source's attributes and times) to a
// new file. A file already there (or several, which the name does not tell
// apart) is the copy of another source whose name differs only by case: this
// copy then gets a file of its own name first.
bool CopyToNewFile(const CString& from, const CString& to) {
    if (CopyFileW(from, to, TRUE)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_CANT_RESOLVE_FILENAME) return false;
    // The new file is closed again before the copy writes into it.
    if (!ScopedFileHandle(CreateFileW(to, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_POSIX_SEMANTICS, nullptr)))
        return false;
    if (CopyFileW(from, to, FALSE)) return true;
    DeleteFileForced(to);
    return false;
}

bool ThroughLink(const std::vector<DiskEntry>& levels) {
    for (size_t i = 0; i + 1 < levels.size(); ++i)
        if (levels[i].attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    return false;
}

// Where the copies of the files of one source folder go.
struct TargetFolder {
    CString path;      // with a trailing backslash
    bool made = false; // all its levels exist, with the source folders' attributes
};

// Makes the levels of folder->path below driveFolder; each one gets the
// attributes of its source folder, as a copied file gets those of its source.
void MakeTargetFolder(CRawBackupFolder& backupFolder, const CString& driveFolder, const std::vector<DiskEntry>& levels,
                      TargetFolder* folder) {
    folder->made = backupFolder.MakeFoldersFor(folder->path);
    CString level = driveFolder;
    for (size_t i = 0; folder->made && i + 1 < levels.size(); ++i) {
        level += u"\\" + levels[i].name;
        if (levels[i].attributes & kCopiedAttributes)
            SetFileAttributesW(WithLongPathPrefix(level), levels[i].attributes & kCopiedAttributes);
    }
}

}  // namespace

RawCopyResult RawCopy(std::vector<CString>* paths, CRawBackupFolder& backupFolder) {
    if (!paths) return RAW_COPY_INCOMPLETE;
    const std::vector<CString> sources = *paths;
    bool complete = true;
    size_t position = 0;  // index of the current source in *paths
    CDiskNames diskNames;
    std::vector<DiskEntry> levels;
    TargetFolder folder;
    VolumeRoom room;
    std::unordered_set<std::u16string> copied;  // sources copied, as on disk
    for (const CString& source : sources) {
        const CString fullSource = NormalFullPathOf(source);
        if (!diskNames.Lookup(fullSource, &levels)) {
            if (HoldsANameNoPathCan(fullSource)) {  // it may well exist, and is not copied
                ++position;
                complete = false;
                ReportErrorPath(MSG_ERROR_COPYDATA_FAILED, source);
                continue;
            }
            paths->erase(paths->begin() + static_cast<std::ptrdiff_t>(position));
            ReportErrorPath(MSG_ERROR_COPYDATA_CANNOT_FIND, source);
            continue;
        }
        ++position;
        if (ThroughLink(levels)) {  // links are not followed
            complete = false;
            ReportErrorPath(MSG_ERROR_COPYDATA_FAILED, source);
            continue;
        }

        if (!backupFolder.Open()) {
            complete = false;
            ReportErrorPath(MSG_ERROR_COPYDATA_FAILED, source);
            continue;
        }
        // <backup folder><drive letter>\<names as on disk>
        const CString& target = backupFolder.Path();
        CString from = DriveRootOf(fullSource);
        const CString driveFolder = target + from.Left(1);
        CString to = driveFolder + u"\\";
        for (size_t i = 0; i + 1 < levels.size(); ++i) {
            from += levels[i].name + u"\\";
            to += levels[i].name + u"\\";
        }
        if (to != folder.path) {
            folder.path = to;
            MakeTargetFolder(backupFolder, driveFolder, levels, &folder);
        }
        if (!folder.made) {
            complete = false;
            ReportErrorPath(MSG_ERROR_COPYDATA_FAILED, source);
            continue;
        }
        from = WithLongPathPrefix(from + levels.back().name);
        to = WithLongPathPrefix(to + levels.back().name);
        if (copied.count(from.str())) continue;  // listed once more

        if (!room.Fits(target, levels.back().size)) {
            ReportErrorPath(MSG_ERROR_COPYDATA_NOSPACE_FAILED, source);
            return RAW_COPY_STOPPED;
        }
        if (!backupFolder.WillCreate(to) || !CopyToNewFile(from, to)) {
            complete = false;
            ReportErrorPath(MSG_ERROR_COPYDATA_FAILED, source);
            continue;
        }
        copied.insert(from.str());
        PostProgressPath(from);
        DbgLog(u"Copy %s to %s successfully!", from.GetString(), to.GetString());
        if (!AskContinue()) return RAW_COPY_STOPPED;
    }
    DbgLog(u"Copy raw data end!");
    return complete && !copied.empty() ? RAW_COPY_DONE : RAW_COPY_INCOMPLETE;
}
