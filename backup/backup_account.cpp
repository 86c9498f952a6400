#include "backup/backup_account.h"

#include <algorithm>

uint32_t BackupAccount::Enter(const CString& path, bool* again) {
    const auto entered = m_index.emplace(path.str(), static_cast<uint32_t>(m_paths.size()));
    *again = !entered.second;
    if (entered.second) {
        m_paths.push_back(path);
        m_files.emplace_back();
    }
    return entered.first->second;
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
