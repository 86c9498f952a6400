#include "services/run_journal.h"

#include <algorithm>
#include <unordered_map>

#include "services/contained_path.h"
#include "services/dbglog.h"
#include "services/exception_folders.h"
#include "services/file_utils.h"
#include "services/path_parts.h"
#include "services/piece_path.h"

namespace {

// Entry tags.
const WCHAR kMade = u'+';        // a file about to be made
const WCHAR kNotOurs = u'-';     // its name was taken by a file that is not ours
const WCHAR kFolder = u'd';      // a folder about to be made
const WCHAR kWorkFolder = u'w';  // a folder whose files are all the run's own
const WCHAR kFolderTime = u't';  // a folder's last-write time before the run
const WCHAR kMove = u'm';        // a file of the new set and its final name
const WCHAR kObsolete = u'x';    // a file of the old set the new one does not replace
const WCHAR kCommit = u'c';      // the new set is complete

CString TicksText(const FILETIME& time) {
    CString text;
    text.Format(u"%016llX", (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return text;
}

bool TimeFromText(const CString& text, FILETIME* time) {
    if (text.GetLength() != 16) return false;
    ULONGLONG ticks = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
        const WCHAR c = text[i];
        const int digit = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1;
        if (digit < 0) return false;
        ticks = ticks << 4 | static_cast<ULONGLONG>(digit);
    }
    time->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    time->dwLowDateTime = static_cast<DWORD>(ticks);
    return true;
}

// Deletes the files directly inside folder, then the folder.
void RemoveWorkFolder(const CString& folder) {
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(FindFirstFileW(WithLongPathPrefix(WithBackslash(folder) + u"*"), &found));
    if (search) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileForced(WithLongPathPrefix(WithBackslash(folder) + found.cFileName));
        } while (FindNextFileW(search.get(), &found));
        search.reset();
    }
    RemoveDirectoryW(WithLongPathPrefix(folder));
}

// Removes a folder the run made when it is empty, read-only or not; a folder
// that stays keeps its attributes.
void RemoveMadeFolder(const CString& folder) {
    const CString path = WithLongPathPrefix(folder);
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!RemoveDirectoryW(path) && readOnly) SetFileAttributesW(path, attributes);
}

// Whether path lies below root (ending in a backslash; its spelling compared
// ignoring case) with no "." or ".." on the way and no link under root.
bool LiesBelow(const CString& root, const CString& path) {
    const CString plainRoot = WithoutLongPathPrefix(root);
    const CString plain = WithoutLongPathPrefix(path);
    if (plain.Left(plainRoot.GetLength()).CompareNoCase(plainRoot) != 0) return false;
    return CheckBelow(plain.Left(plainRoot.GetLength()), plain).usable();
}

// Whether path lies below the root of its drive, as LiesBelow has it.
bool LiesOnItsDrive(const CString& path) {
    const CString root = DriveRootOf(WithoutLongPathPrefix(path));
    return !root.IsEmpty() && LiesBelow(root, path);
}

// Whether path is an exception folder at its drive root or lies in one.
bool InExceptionFolder(const CString& path) {
    if (!LiesOnItsDrive(path)) return false;
    const std::vector<CString> names = PathComponents(WithoutLongPathPrefix(path));  // "X:", then the top folder
    return names.size() > 1 && IsExceptionFolderName(names[1]);
}

}  // namespace

RunJournal::RunJournal(const CString& folder, const WCHAR* name)
    : m_folder(WithBackslash(folder)), m_path(m_folder + name) {}

// A run journals only what it makes: its own folder's contents, pieces of big
// files and exception copies with their folders. An entry of a journal left in
// the folder that names anything else did not come from a run (the journal was
// planted there, or carried along from another computer).
bool RunJournal::MayTouch(const Entry& entry) const {
    switch (entry.tag) {
    case kMade:
        return LiesBelow(m_folder, entry.path) || InExceptionFolder(entry.path) ||
               (IsPiecePath(entry.path) && LiesOnItsDrive(entry.path));
    case kFolder:
        return LiesBelow(m_folder, entry.path) || InExceptionFolder(entry.path);
    case kWorkFolder:
    case kObsolete:
        return LiesBelow(m_folder, entry.path);
    case kMove:
        return LiesBelow(m_folder, entry.path) && LiesBelow(m_folder, entry.other);
    default:
        return true;
    }
}

bool RunJournal::Open() {
    m_entries.clear();
    m_file.reset(CreateFileW(m_path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(m_file);
}

// On disk an entry is its tag, its path, a 0, the other text and a 0; an entry
// cut short by a killed run was never acted upon and is dropped when read.
bool RunJournal::Add(WCHAR tag, const CString& path, const CString& other) {
    if (!m_file) return false;
    std::u16string record(1, tag);
    record += path.str();
    record += u'\0';
    record += other.str();
    record += u'\0';
    const DWORD bytes = static_cast<DWORD>(record.size() * sizeof(char16_t));
    DWORD written = 0;
    if (!WriteFile(m_file.get(), record.data(), bytes, &written, nullptr) || written != bytes) return false;
    m_entries.push_back({tag, path, other});
    return true;
}

bool RunJournal::Load() {
    ScopedFileHandle file(CreateFileW(m_path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::u16string text;
    char16_t buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got / sizeof(char16_t));
    file.reset();
    size_t at = 0;
    while (at < text.size()) {
        const size_t pathEnd = text.find(u'\0', at + 1);
        if (pathEnd == std::u16string::npos) break;
        const size_t otherEnd = text.find(u'\0', pathEnd + 1);
        if (otherEnd == std::u16string::npos) break;
        m_entries.push_back({text[at], CString(text.substr(at + 1, pathEnd - at - 1)),
                             CString(text.substr(pathEnd + 1, otherEnd - pathEnd - 1))});
        at = otherEnd + 1;
    }
    return true;
}

bool RunJournal::WillCreate(const CString& file) { return Add(kMade, file); }

// Known to this run even when the journal cannot take it, so that its own
// replay never removes the file.
void RunJournal::NotCreated(const CString& file) {
    if (!Add(kNotOurs, file)) m_entries.push_back({kNotOurs, file, CString()});
}

bool RunJournal::WillCreateFolder(const CString& folder) { return Add(kFolder, folder); }

bool RunJournal::WillCreateWorkFolder(const CString& folder) { return Add(kWorkFolder, folder); }

bool RunJournal::MakeWorkFolder(const CString& base, CString* made) {
    for (int n = 1;; ++n) {
        CString folder = base;
        if (n > 1) folder.AppendFormat(u"%d", n);
        if (GetFileAttributesW(WithLongPathPrefix(folder)) != INVALID_FILE_ATTRIBUTES) continue;
        if (!WillCreateWorkFolder(folder)) return false;
        if (CreateDirectoryW(WithLongPathPrefix(folder), nullptr)) {
            *made = folder;
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
        NotCreated(folder);
    }
}

void RunJournal::KeepFolderTime(const CString& folder) {
    for (const Entry& entry : m_entries)
        if (entry.tag == kFolderTime && entry.path == folder) return;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(WithLongPathPrefix(folder), GetFileExInfoStandard, &data))
        Add(kFolderTime, folder, TicksText(data.ftLastWriteTime));
}

bool RunJournal::Commit(const std::vector<std::pair<CString, CString>>& moves, const std::vector<CString>& obsolete) {
    for (const auto& move : moves)
        if (!Add(kMove, move.first, move.second)) return false;
    for (const CString& file : obsolete)
        if (!Add(kObsolete, file)) return false;
    return FlushFileBuffers(m_file.get()) && Add(kCommit, CString());
}

bool RunJournal::MoveCommitted() {
    for (const Entry& entry : m_entries) {
        if (entry.tag != kMove || !IsExistingFile(entry.path)) continue;
        if (IsExistingFile(entry.other)) SetFileAttributesW(entry.other, FILE_ATTRIBUTE_NORMAL);
        if (!MoveFileExW(entry.path, entry.other, MOVEFILE_REPLACE_EXISTING)) return false;
    }
    for (const Entry& entry : m_entries)
        if (entry.tag == kObsolete) DeleteFileForced(entry.path);
    return true;
}

// A name is the run's own when it was entered as about to be made more often
// than as taken by another file: a file the run made and then met again under
// that name (a big file listed twice) stays its own.
void RunJournal::RemoveMade() {
    std::unordered_map<std::u16string, int> made;
    for (const Entry& entry : m_entries) {
        if (entry.tag == kNotOurs) --made[entry.path.str()];
        if (entry.tag == kMade || entry.tag == kFolder || entry.tag == kWorkFolder) ++made[entry.path.str()];
    }
    const auto ours = [&made](const Entry& entry) { return made[entry.path.str()] > 0; };
    for (const Entry& entry : m_entries)
        if (entry.tag == kMade && ours(entry)) DeleteFileForced(WithLongPathPrefix(entry.path));
    for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
        if (!ours(*entry)) continue;
        if (entry->tag == kWorkFolder) RemoveWorkFolder(entry->path);
        if (entry->tag == kFolder) RemoveMadeFolder(entry->path);
    }
}

void RunJournal::RestoreFolderTimes() {
    FILETIME time;
    for (const Entry& entry : m_entries)
        if (entry.tag == kFolderTime && TimeFromText(entry.other, &time)) SetFolderTime(entry.path, time);
}

void RunJournal::DropWhatNoRunMakes() {
    const auto refused = std::remove_if(m_entries.begin(), m_entries.end(), [this](const Entry& entry) {
        if (MayTouch(entry)) return false;
        DbgLog(u"Refused %s: the journal %s names it, but no run makes it", entry.path.GetString(), m_path.GetString());
        return true;
    });
    m_entries.erase(refused, m_entries.end());
}

bool RunJournal::Replay() {
    bool committed = false;
    for (const Entry& entry : m_entries) committed = committed || entry.tag == kCommit;
    if (committed && !MoveCommitted()) return false;
    RemoveMade();
    RestoreFolderTimes();
    return Drop();
}

bool RunJournal::Drop() {
    m_file.reset();
    m_entries.clear();
    return DeleteFileForced(m_path);
}

bool RunJournal::ReplayLeft(const CString& folder, const WCHAR* name) {
    RunJournal left(folder, name);
    if (!IsExistingFile(left.m_path)) return true;
    if (!left.Load()) return false;
    left.DropWhatNoRunMakes();
    return left.Replay();
}
