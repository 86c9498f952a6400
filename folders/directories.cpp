#include "folders/directories.h"

#include <utility>
#include <vector>

#include "services/contained_path.h"
#include "services/dbglog.h"
#include "services/file_utils.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "services/scoped_handle.h"
#include "folders/root_path.h"

namespace {

const int kMaxFolderPart = 255;

// Which existing entry counts as a level of the path: one whose name matches
// ignoring case, or only one spelled as the path spells it.
enum class LevelMatch { IgnoringCase, AsSpelled };

bool EntryExists(const CString& path, LevelMatch match) {
    WIN32_FIND_DATAW data;
    return match == LevelMatch::AsSpelled ? FindAsSpelled(path, &data) : FindEntry(path, &data);
}

// A folder that a file system comparing names ignoring case holds under
// another spelling of the level is that level.
bool HeldInOtherCase(const CString& longPath) {
    return GetLastError() == ERROR_ALREADY_EXISTS && IsExistingFolder(longPath);
}

// Drive ("C:") and folder part (after the drive, up to the last backslash) of path.
bool SplitDriveAndFolder(const CString& path, CString& drive, CString& folder) {
    PathParts parts = SplitPath(path);
    drive = parts.drive;
    folder = parts.dir;
    if (!folder.IsEmpty() && folder.GetLength() <= kMaxFolderPart) return true;
    // No folder part, or one too long for the runtime's splitter: split by hand.
    int lastBackslash = path.ReverseFind(u'\\');
    if (lastBackslash < 0) return false;
    CString beforeName = path.Left(lastBackslash);
    int colon = beforeName.Find(u':');
    if (colon < 0) return false;
    drive = beforeName.Left(colon + 1);
    folder = beforeName.Mid(colon + 1);
    return true;
}

void ReportCreateFailure(const CString& longPath, CString* failed) {
    ReportError(MSG_ERROR_CREATE_DIRECTORY_FAILED, longPath.GetString());
    if (failed) *failed = longPath;
}

void AddAttributes(const CString& longPath, DWORD attributes) {
    if (attributes == 0) return;
    DWORD old = GetFileAttributesW(longPath);
    if (old != INVALID_FILE_ATTRIBUTES && (old & attributes) == 0) SetFileAttributesW(longPath, old | attributes);
}

// Names an entry the deletion had to leave.
void ReportStayed(const CString& path) {
    DbgLog(u"MSG_ERROR_DELETE_FOLDER_FAILED - %s could not be deleted, error %u", path.GetString(),
           static_cast<unsigned>(GetLastError()));
}

// A link met inside the tree: only the link goes, never what it points to.
void RemoveLink(const CString& path, DWORD attributes) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    // A directory link may be removable only as a file on some file systems, and the reverse.
    bool isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isDirectory ? RemoveDirectoryW(path) : DeleteFileW(path)) return;
    if (isDirectory ? DeleteFileW(path) : RemoveDirectoryW(path)) return;
    ReportStayed(path);
}

void RemoveFile(const CString& path) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(path)) ReportStayed(path);
}

void RemoveEmptyFolder(const CString& path) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    if (!RemoveDirectoryW(path)) ReportStayed(path);
}

// Deletes the files and links of folder; returns its real sub-folders.
std::vector<CString> ClearFolder(const CString& folder) {
    std::vector<CString> subFolders;
    CString prefix = WithBackslash(folder);
    WIN32_FIND_DATAW data;
    ScopedFindHandle find(FindFirstFileW(prefix + u"*.*", &data));
    if (!find) return subFolders;  // a folder that cannot be listed stays, and is named then
    std::vector<std::pair<CString, DWORD>> entries;
    do {
        CString name(data.cFileName);
        if (name == u"." || name == u"..") continue;
        entries.emplace_back(prefix + name, data.dwFileAttributes);
    } while (FindNextFileW(find.get(), &data));
    find.reset();

    for (const auto& entry : entries) {
        if (entry.second & FILE_ATTRIBUTE_REPARSE_POINT) RemoveLink(entry.first, entry.second);
        else if (entry.second & FILE_ATTRIBUTE_DIRECTORY) subFolders.push_back(entry.first);
        else RemoveFile(entry.first);
    }
    return subFolders;
}

// Creates the levels of path; those of root (a folder that exists, ending in a
// backslash, that path lies below) are taken as they are.
bool CreateLevels(const CString& path, DWORD attributes, CString* failed, LevelMatch match,
                  const CString& root = CString()) {
    if (path.IsEmpty()) return false;
    CString drive, folder;
    if (!SplitDriveAndFolder(path, drive, folder)) return false;
    if (drive.IsEmpty()) return true;  // network, relative or "\\?\" path: nothing to create

    DbgLog(u"Will do creating directory recursively!");
    CString level = drive;
    if (!root.IsEmpty()) {
        level = root.Left(root.GetLength() - 1);
        folder = path.Mid(root.GetLength(), path.ReverseFind(u'\\') + 1 - root.GetLength());
    }
    std::vector<CString> components = PathComponents(folder);
    if (components.empty() && root.IsEmpty()) {
        // A file directly in the drive root: the root is the only level.
        const CString driveRoot = drive + u"\\";
        if (GetFileAttributesW(driveRoot) == INVALID_FILE_ATTRIBUTES) {
            ReportCreateFailure(WithLongPathPrefix(driveRoot), failed);
            return false;
        }
        DbgLog(u"Path of directory has been created before!");
    }
    for (const CString& component : components) {
        level += u'\\';
        level += component;
        if (EntryExists(level, match)) {
            DbgLog(u"Path of directory has been created before!");
            continue;
        }
        CString longPath = WithLongPathPrefix(level);
        if (CreateDirectoryW(longPath, nullptr)) {
            AddAttributes(longPath, attributes);
            DbgLog(u"Create directory successfully!");
        } else if (HeldInOtherCase(longPath)) {
            DbgLog(u"Path of directory has been created before!");
        } else {
            ReportCreateFailure(longPath, failed);
            return false;
        }
    }
    if (failed) failed->Empty();
    return true;
}

}  // namespace

bool CreateDirectories(CString path, DWORD attributes, CString* failed) {
    return CreateLevels(path, attributes, failed, LevelMatch::IgnoringCase);
}

bool DeleteFolderTree(CString folder) {
    if (folder.GetLength() <= 5 || IsRootPath(folder)) {
        ReportErrorPath(MSG_ERROR_DELETE_FOLDER_DANGEROUS, folder);
        return false;
    }
    DWORD attributes = GetFileAttributesW(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveLink(folder, attributes);
        return GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES;
    }

    // Depth first without recursion: a folder is removed on its second visit,
    // after everything below it is gone.
    struct Pending {
        CString path;
        bool listed;
    };
    std::vector<Pending> stack{{folder, false}};
    while (!stack.empty()) {
        if (stack.back().listed) {
            RemoveEmptyFolder(stack.back().path);
            stack.pop_back();
            continue;
        }
        stack.back().listed = true;
        for (CString& sub : ClearFolder(stack.back().path)) stack.push_back({std::move(sub), false});
    }
    // Whatever could not go was named above; the folder must be gone as a whole.
    return GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES;
}

bool CreateDirectoriesBelow(const CString& root, const CString& path) {
    return UsableBelow(root, path, MSG_ERROR_CREATE_DIRECTORY_FAILED) &&
           CreateLevels(path, 0, nullptr, LevelMatch::AsSpelled, WithBackslash(root));
}
