#include "backup/backup_account.h"

#include <algorithm>

uint32_t BackupAccount::Enter(const CString& path, bool* again) {
    m_paths.push_back(path);
    const auto entered = m_index.insert(static_cast<uint32_t>(m_paths.size() - 1));
    *again = !entered.second;
    if (*again) m_paths.pop_back();
    else m_files.emplace_back();
    return *entered.first;
}

std::vector<uint32_t> BackupAccount::Settle(const std::vector<FileMarks>& marks) {
    std::vector<uint32_t> notTaken;
    for (uint32_t i = 0; i < m_files.size(); ++i) {
        File& file = m_files[i];
        if (file.outcome != Outcome::Pending) continue;
        const FileMarks mark = i < marks.size() ? marks[i] : FileMarks();
        if (!mark.leftOut && file.standIns > 0 && mark.standInsTaken >= file.standIns) {
            file.outcome = Outcome::Stored;
            continue;
        }
        file.outcome = Outcome::LeftOut;
        if (!mark.leftOut) notTaken.push_back(i);
    }
    return notTaken;
}

bool BackupAccount::Complete() const { return Count(Outcome::Missing) + Count(Outcome::LeftOut) == 0; }

size_t BackupAccount::Count(Outcome outcome) const {
    return static_cast<size_t>(
        std::count_if(m_files.begin(), m_files.end(), [&](const File& file) { return file.outcome == outcome; }));
}

ULONGLONG BackupAccount::Bytes(Outcome outcome) const {
    ULONGLONG bytes = 0;
    for (const File& file : m_files)
        if (file.outcome == outcome) bytes += file.bytes;
    return bytes;
}
