#include "backup/raw_folder.h"

#include "services/dbglog.h"
#include "services/local_time.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "backup/journaled_folders.h"
#include "folders/directories.h"

namespace {

const WCHAR kIncompleteSuffix[] = u".incomplete";

bool Exists(const CString& path) { return GetFileAttributesW(WithLongPathPrefix(path)) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

CRawBackupFolder::CRawBackupFolder(const CString& destinationFolder)
    : m_destination(WithBackslash(destinationFolder)),
      m_stamp(LocalTimeText(u"%Y-%m-%d %H%M%S")),
      m_journal(m_destination, kRawBackupJournalName) {
    CString level = NormalFullPathOf(m_destination);
    level.TrimRight(u'\\');
    while (level.GetLength() > 2 && !Exists(level)) {
        m_madeLevels.push_back(level);
        level = level.Left(level.ReverseFind(u'\\'));
    }
}

CRawBackupFolder::~CRawBackupFolder() {
    try {
        Remove();
    } catch (...) {
    }
}

bool CRawBackupFolder::Open() {
    if (m_open) return true;
    if (!CreateDirectories(m_destination)) return false;
    const CString base = m_destination + m_stamp + kIncompleteSuffix;
    if (!m_started) m_started = RunJournal::ReplayLeft(m_destination, kRawBackupJournalName) && m_journal.Open();
    CString folder;
    m_open = m_started && m_journal.MakeWorkFolder(base, &folder);
    if (!m_open) {
        DbgLog(u"The raw backup destination %s cannot keep a journal and a folder, error %u", m_destination.GetString(),
               static_cast<unsigned>(GetLastError()));
        ReportError(MSG_ERROR_CREATE_DIRECTORY_FAILED, WithLongPathPrefix(base).GetString());
        return false;
    }
    m_path = WithBackslash(folder);
    return true;
}

bool CRawBackupFolder::MakeFoldersFor(const CString& file) { return m_open && MakeFoldersBelow(m_path, file, m_journal); }

bool CRawBackupFolder::WillCreate(const CString& file) { return m_open && m_journal.WillCreate(file); }

bool CRawBackupFolder::Keep() {
    if (!m_open) return false;
    const CString folder = m_path.Left(m_path.GetLength() - 1);
    CString name = m_destination + m_stamp;
    for (int n = 2;; ++n) {
        if (MoveFileExW(WithLongPathPrefix(folder), WithLongPathPrefix(name), 0)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) {
            DbgLog(u"The raw backup folder %s cannot be named %s, error %u", folder.GetString(), name.GetString(),
                   static_cast<unsigned>(GetLastError()));
            Remove();
            return false;
        }
        name.Format(u"%s%s (%d)", m_destination.GetString(), m_stamp.GetString(), n);
    }
    // The journal names only what has moved away: it goes without a replay.
    m_path = WithBackslash(name);
    m_madeLevels.clear();
    m_journal.Drop();
    m_started = m_open = false;
    return true;
}

void CRawBackupFolder::Remove() {
    if (m_started) m_journal.Replay();
    m_started = m_open = false;
    for (const CString& level : m_madeLevels)
        if (!RemoveDirectoryW(WithLongPathPrefix(level))) break;
    m_madeLevels.clear();
}
