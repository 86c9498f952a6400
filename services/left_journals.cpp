#include "services/left_journals.h"

#include <vector>

#include "services/dbglog.h"
#include "services/file_utils.h"
#include "services/path_parts.h"
#include "services/run_journal.h"

namespace {

const WCHAR kJournalsKey[] = u"Software\\QXFileMgr\\Journals";

// The registry key of the journals, open for reading and writing.
class JournalsKey {
public:
    JournalsKey() {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kJournalsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~JournalsKey() {
        if (m_key) RegCloseKey(m_key);
    }
    JournalsKey(const JournalsKey&) = delete;
    JournalsKey& operator=(const JournalsKey&) = delete;
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// The folders entered, each as a value's name.
std::vector<CString> EnteredFolders(HKEY key) {
    std::vector<CString> folders;
    WCHAR name[32768];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name / sizeof name[0];
        const LONG result = RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS) folders.push_back(CString(name, static_cast<int>(length)));
    }
    return folders;
}

bool JournalLeftIn(const CString& folder) { return IsExistingFile(WithBackslash(folder) + kBackupJournalName); }

}  // namespace

bool EnterLeftJournal(const CString& folder) {
    const JournalsKey key;
    const CString name = WithBackslash(folder);
    const WCHAR* data = kBackupJournalName;
    const DWORD bytes = static_cast<DWORD>((CString(data).GetLength() + 1) * sizeof(WCHAR));
    if (key.get() &&
        RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS)
        return true;
    DbgLog(u"The journal of %s cannot be entered in the registry", name.GetString());
    return false;
}

void ForgetLeftJournal(const CString& folder) {
    if (JournalLeftIn(folder)) return;
    const JournalsKey key;
    if (key.get()) RegDeleteValueW(key.get(), WithBackslash(folder));
}

void ReplayLeftJournals() {
    const JournalsKey key;
    if (!key.get()) return;
    for (const CString& folder : EnteredFolders(key.get())) {
        if (JournalLeftIn(folder)) {
            DbgLog(u"Finishing the journal a killed backup left in %s", folder.GetString());
            RunJournal::ReplayLeft(folder);
        }
        if (!JournalLeftIn(folder)) RegDeleteValueW(key.get(), folder);
    }
}
