#include "backup/journaled_folders.h"

#include "services/file_utils.h"
#include "services/path_parts.h"
#include "services/run_journal.h"
#include "folders/directories.h"

bool MakeFoldersFor(const CString& file, DWORD attributes, RunJournal& journal) {
    const PathParts parts = SplitPath(file);
    CString level = parts.drive;
    for (const CString& name : PathComponents(parts.dir)) {
        level += u"\\" + name;
        if (GetFileAttributesW(WithLongPathPrefix(level)) == INVALID_FILE_ATTRIBUTES && !journal.WillCreateFolder(level))
            return false;
    }
    return CreateDirectories(file, attributes);
}

bool MakeFoldersBelow(const CString& root, const CString& file, RunJournal& journal) {
    CString level = root.Left(root.GetLength() - 1);
    WIN32_FIND_DATAW data;
    for (const CString& name : PathComponents(file.Mid(root.GetLength(), file.ReverseFind(u'\\') - root.GetLength()))) {
        level += u"\\" + name;
        if (!FindAsSpelled(WithLongPathPrefix(level), &data) && !journal.WillCreateFolder(level)) return false;
    }
    return CreateDirectoriesBelow(root, file);
}
