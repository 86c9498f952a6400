// FindFirstFileW, FindNextFileW, FindClose: a folder listing sorted like NTFS
// (by upper-cased name), "." and ".." first, metadata read per entry as the
// caller walks the listing.
#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_set>

#include "atlstr.h"
#include "file_info.h"
#include "last_error.h"
#include "path_map.h"
#include "win_path.h"
#include "wildcard.h"

namespace {

class FindState {
public:
    ~FindState() {
        if (m_dir) closedir(m_dir);
    }

    // Lists hostDir with the entries that match pattern.
    DWORD List(const std::string& hostDir, const QxWildcard& pattern, bool withDots) {
        m_dir = opendir(hostDir.c_str());
        if (!m_dir) return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : QxWin32FromErrno(errno);
        m_dirfd = dirfd(m_dir);
        std::u16string wide;
        while (dirent* e = readdir(m_dir)) {
            const char* name = e->d_name;
            bool dot = name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
            if (dot) continue;
            Widen(name, wide);
            size_t upperStart = m_upper.size();
            for (WCHAR c : wide) m_upper += QxToUpper(c);
            if (!pattern.Matches(m_upper.data() + upperStart, wide.size())) {
                m_upper.resize(upperStart);
                continue;
            }
            Add(name, wide, upperStart);
        }
        std::vector<Entry>& v = m_entries;
        std::sort(v.begin(), v.end(), [this](const Entry& a, const Entry& b) {
            int c = Upper(a).compare(Upper(b));
            return c != 0 ? c < 0 : Wide(a) < Wide(b);
        });
        if (withDots) {
            std::vector<Entry> dots;
            for (const char* name : {".", ".."}) {
                std::u16string w(name, name + std::strlen(name));
                if (!pattern.Matches(w)) continue;
                size_t upperStart = m_upper.size();
                m_upper += w;
                Add(name, w, upperStart);
                dots.push_back(m_entries.back());
                m_entries.pop_back();
            }
            m_entries.insert(m_entries.begin(), dots.begin(), dots.end());
        }
        return m_entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    }

    // One entry found by its full path.
    void Single(const std::string& hostPath) {
        size_t slash = hostPath.rfind('/');
        std::string name = hostPath.substr(slash + 1);
        std::u16string wide;
        Widen(name.c_str(), wide);
        size_t upperStart = m_upper.size();
        m_upper += wide;
        Add(hostPath.c_str(), wide, upperStart);
        m_dirfd = AT_FDCWD;
    }

    // Fills the next entry that can still be read; false at the end.
    bool Next(WIN32_FIND_DATAW& data) {
        while (m_next < m_entries.size()) {
            const Entry& e = m_entries[m_next++];
            const char* host = m_hostNames.data() + e.host;
            bool dot = host[0] == '.' && (host[1] == 0 || (host[1] == '.' && host[2] == 0));
            QxFileInfo info;
            if (!QxQueryFileInfo(m_dirfd, host, info, dot)) continue;  // removed meanwhile
            data.dwFileAttributes = info.attributes;
            data.ftCreationTime = info.creation;
            data.ftLastAccessTime = info.lastAccess;
            data.ftLastWriteTime = info.lastWrite;
            data.nFileSizeHigh = static_cast<DWORD>(info.size >> 32);
            data.nFileSizeLow = static_cast<DWORD>(info.size);
            data.dwReserved0 = info.reparseTag;
            data.dwReserved1 = 0;
            size_t n = std::min<size_t>(e.length, MAX_PATH - 1);
            std::memcpy(data.cFileName, m_wide.data() + e.wide, n * sizeof(WCHAR));
            data.cFileName[n] = 0;
            data.cAlternateFileName[0] = 0;
            return true;
        }
        return false;
    }

private:
    struct Entry {
        size_t host, wide, upper;
        uint32_t length;
    };

    static void Widen(const char* name, std::u16string& out) {
        out.clear();
        for (const char* p = name; *p; ++p) {
            if (static_cast<unsigned char>(*p) >= 0x80) {
                out = CString::FromUtf8(name).str();
                return;
            }
            out += static_cast<WCHAR>(*p);
        }
    }

    void Add(const char* host, const std::u16string& wide, size_t upperStart) {
        Entry e{m_hostNames.size(), m_wide.size(), upperStart, static_cast<uint32_t>(wide.size())};
        m_hostNames.append(host).push_back('\0');
        m_wide += wide;
        m_entries.push_back(e);
    }

    std::u16string_view Upper(const Entry& e) const { return {m_upper.data() + e.upper, e.length}; }
    std::u16string_view Wide(const Entry& e) const { return {m_wide.data() + e.wide, e.length}; }

    DIR* m_dir = nullptr;
    int m_dirfd = -1;
    std::string m_hostNames;
    std::u16string m_wide, m_upper;
    std::vector<Entry> m_entries;
    size_t m_next = 0;
};

std::mutex g_findMutex;
std::unordered_set<FindState*> g_finds;

FindState* Lookup(HANDLE h) {
    std::lock_guard<std::mutex> lock(g_findMutex);
    auto it = g_finds.find(static_cast<FindState*>(h));
    return it == g_finds.end() ? nullptr : *it;
}

bool ValidPattern(const std::u16string& pattern) {
    for (WCHAR c : pattern)
        if (c < 0x20 || c == u'|' || c == u':') return false;
    return true;
}

// Splits a search path into its folder and its last component.
void SplitSearchPath(const std::u16string& s, std::u16string& dir, std::u16string& last) {
    size_t start = QxHasLongPrefix(s.c_str()) ? 4 : 0;
    size_t p = std::u16string::npos;
    for (size_t i = s.size(); i-- > start;)
        if (QxIsPathSeparator(s[i])) {
            p = i;
            break;
        }
    if (p != std::u16string::npos) {
        dir = s.substr(0, p + 1);
        last = s.substr(p + 1);
    } else if (s.size() >= start + 2 && s[start + 1] == u':') {
        dir = s.substr(0, start + 2);
        last = s.substr(start + 2);
    } else {
        dir = s.substr(0, start) + u".";
        last = s.substr(start);
    }
}

// Fills state for the search; returns the Win32 error or ERROR_SUCCESS.
DWORD StartSearch(LPCWSTR fileName, FindState& state, bool exactCase) {
    if (!fileName || !*fileName) return ERROR_FILE_NOT_FOUND;
    std::u16string s = fileName, dir, last;
    SplitSearchPath(s, dir, last);
    if (last.empty()) return ERROR_FILE_NOT_FOUND;
    if (!ValidPattern(last)) return ERROR_INVALID_NAME;
    DWORD error = 0;
    QxHostPath mapped;
    if (!QxWildcard::HasWildcards(last)) {
        if (!QxMapPath(fileName, mapped, &error, exactCase)) return error;
        if (mapped.IsDriveRoot()) return ERROR_FILE_NOT_FOUND;
        if (!mapped.exists) return mapped.NotFoundError();
        state.Single(mapped.path);
        return ERROR_SUCCESS;
    }
    if (exactCase) return ERROR_NOT_SUPPORTED;
    if (!QxMapPath(dir.c_str(), mapped, &error)) return error;
    if (!mapped.exists) return ERROR_PATH_NOT_FOUND;
    return state.List(mapped.path, QxWildcard(last), !mapped.IsDriveRoot());
}

// A search for one name finds the entry as spelled first, without mapping its
// path; false when it is not there as spelled.
bool FindSpelled(LPCWSTR fileName, FindState& state, WIN32_FIND_DATAW& data) {
    if (!fileName || !*fileName) return false;
    std::u16string dir, last;
    SplitSearchPath(fileName, dir, last);
    QxHostPath spelled;
    if (last.empty() || !ValidPattern(last) || QxWildcard::HasWildcards(last) || !QxSpellPath(fileName, spelled))
        return false;
    state.Single(spelled.path);
    return state.Next(data);
}

HANDLE FindFirst(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData, bool exactCase) {
    if (!lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    try {
        auto state = std::make_unique<FindState>();
        if (!FindSpelled(lpFileName, *state, *lpFindFileData)) {
            state = std::make_unique<FindState>();
            DWORD error = StartSearch(lpFileName, *state, exactCase);
            if (error == ERROR_SUCCESS && !state->Next(*lpFindFileData)) error = ERROR_FILE_NOT_FOUND;
            if (error != ERROR_SUCCESS) {
                SetLastError(error);
                return INVALID_HANDLE_VALUE;
            }
        }
        std::lock_guard<std::mutex> lock(g_findMutex);
        g_finds.insert(state.get());
        return state.release();
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    return FindFirst(lpFileName, lpFindFileData, false);
}

// The basic level differs from the standard one only in leaving the short name
// empty, which this file system never has.
HANDLE FindFirstFileExW(LPCWSTR lpFileName, FINDEX_INFO_LEVELS fInfoLevelId, LPVOID lpFindFileData,
                        FINDEX_SEARCH_OPS fSearchOp, LPVOID lpSearchFilter, DWORD dwAdditionalFlags) {
    const bool known = (fInfoLevelId == FindExInfoStandard || fInfoLevelId == FindExInfoBasic) &&
                       fSearchOp == FindExSearchNameMatch && !lpSearchFilter &&
                       (dwAdditionalFlags & ~DWORD(FIND_FIRST_EX_CASE_SENSITIVE)) == 0;
    if (!known) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return FindFirst(lpFileName, static_cast<LPWIN32_FIND_DATAW>(lpFindFileData),
                     (dwAdditionalFlags & FIND_FIRST_EX_CASE_SENSITIVE) != 0);
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    FindState* state = Lookup(hFindFile);
    if (!state) return QxFail(ERROR_INVALID_HANDLE);
    if (!lpFindFileData) return QxFail(ERROR_INVALID_PARAMETER);
    return state->Next(*lpFindFileData) ? TRUE : QxFail(ERROR_NO_MORE_FILES);
}

BOOL FindClose(HANDLE hFindFile) {
    FindState* state = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_findMutex);
        auto it = g_finds.find(static_cast<FindState*>(hFindFile));
        if (it != g_finds.end()) {
            state = *it;
            g_finds.erase(it);
        }
    }
    if (!state) return QxFail(ERROR_INVALID_HANDLE);
    delete state;
    return TRUE;
}
