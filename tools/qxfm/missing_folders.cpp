#include "missing_folders.h"

#include "windows.h"

namespace qxfm {

MissingFolders::MissingFolders(const CString& folder) {
    CString level = folder;
    while (level.GetLength() > 3 && level[level.GetLength() - 1] == u'\\') level = level.Left(level.GetLength() - 1);
    while (level.GetLength() > 3 && GetFileAttributesW(level) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) break;
        m_levels.push_back(level);
        const int slash = level.ReverseFind(u'\\');
        if (slash < 2) break;
        level = level.Left(slash);
    }
}

bool MissingFolders::Create(CString* notMade, DWORD* error) const {
    for (auto level = m_levels.rbegin(); level != m_levels.rend(); ++level) {
        if (CreateDirectoryW(*level, nullptr)) continue;
        *error = GetLastError();
        *notMade = *level;
        return false;
    }
    return true;
}

void MissingFolders::RemoveEmpty() const {
    for (const CString& level : m_levels)
        if (!RemoveDirectoryW(level)) return;  // not empty, or not made: the levels above stay too
}

}  // namespace qxfm
