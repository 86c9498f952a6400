#include "backup/raw_folder.h"

#include "services/local_time.h"
#include "services/path_parts.h"
#include "folders/directories.h"

CRawBackupFolder::CRawBackupFolder(const CString& destinationFolder) {
    const CString destination = WithBackslash(destinationFolder);
    const CString stamp = destination + LocalTimeText(u"%Y-%m-%d %H%M%S");
    m_path = stamp;
    for (int n = 2; GetFileAttributesW(WithLongPathPrefix(m_path)) != INVALID_FILE_ATTRIBUTES; ++n)
        m_path.Format(u"%s (%d)", stamp.GetString(), n);

    CString level = NormalFullPathOf(destination);
    level.TrimRight(u'\\');
    while (level.GetLength() > 2 && GetFileAttributesW(WithLongPathPrefix(level)) == INVALID_FILE_ATTRIBUTES) {
        m_madeLevels.push_back(level);
        level = level.Left(level.ReverseFind(u'\\'));
    }
}

void CRawBackupFolder::Remove() {
    DeleteFolderTree(m_path);
    for (const CString& level : m_madeLevels)
        if (!RemoveDirectoryW(WithLongPathPrefix(level))) break;
}
