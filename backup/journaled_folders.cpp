#include "backup/journaled_folders.h"

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
