#include "selection/folder_scan.h"

#include <string_view>
#include <utility>

#include "services/dbglog.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "services/scoped_handle.h"

namespace {

// One folder being listed; its search is closed when the level is left.
struct Level {
    CString folder;  // without trailing backslash
    ScopedFindHandle find;
    WIN32_FIND_DATAW entry;
    bool entryPending;  // entry holds the first result, not yet handled
};

bool IsDotEntry(const WCHAR* name) {
    return name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0));
}

// The walk keeps its levels on the heap, so tree depth is bounded by memory, not by the stack.
// Each level ends with the result the recursive form would return at that depth; a
// sub-folder's result is not looked at by its parent.
enum class Walk { Listing, Done, Failed };
class FolderWalk {
public:
    FolderWalk(const std::vector<CString>* patterns, double usedBytes, double* progressBytes,
               std::vector<CString>* result, ULONGLONG* totalBytes)
        : m_patterns(patterns), m_usedBytes(usedBytes), m_progressBytes(progressBytes), m_result(result),
          m_totalBytes(totalBytes) {}

    bool Run(CString folder) {
        Walk outcome = Enter(std::move(folder));
        if (outcome != Walk::Listing) return outcome == Walk::Done;
        for (;;) {
            outcome = NextEntry();
            if (outcome == Walk::Listing) continue;
            m_levels.pop_back();
            if (m_levels.empty()) return outcome == Walk::Done;
            if (FoundInProbe()) return true;
        }
    }

private:
    bool FoundInProbe() const { return !m_totalBytes && !m_result->empty(); }

    // Starts listing folder: Listing, or the level's result when it cannot be listed.
    Walk Enter(CString folder) {
        folder.TrimRight(u'\\');
        const CString search = WithLongPathPrefix(folder + u"\\*.*");
        Level level{std::move(folder), ScopedFindHandle(), {}, true};
        level.find.reset(FindFirstFileW(search, &level.entry));
        if (!level.find) {
            if (search.GetLength() > MAX_PATH && GetLastError() == ERROR_BAD_ARGUMENTS) {
                ReportError(MSG_ERROR_SCANDATA_CANNOT_FIND, search.GetString());
                return Walk::Failed;
            }
            // A folder the walk met but cannot list (its name is one the
            // system cannot take, or it is closed to this user) holds files
            // the host would miss without a word: the debug log names it, a
            // host of the extended protocol is told (-238), and the walk goes
            // on with the rest.
            if (!m_levels.empty()) ReportExtendedError(MSG_ERROR_SCANDATA_CANNOT_FIND, search);
            // A root that is missing (or cannot be listed) is no empty root:
            // the walk fails, naming it. Only an empty drive root lists nothing.
            else if (GetLastError() != ERROR_FILE_NOT_FOUND) return RootNotListed(level.folder);
            return Walk::Done;
        }
        m_levels.push_back(std::move(level));
        return Walk::Listing;
    }

    static Walk RootNotListed(const CString& folder) {
        DbgLog(u"MSG_ERROR_SCAN_FOLDER_FAILED - The folder %s cannot be listed, error %u", folder.GetString(),
               static_cast<unsigned>(GetLastError()));
        return Walk::Failed;
    }

    // Handles the next entry of the deepest level: Listing to go on, or that level's result.
    Walk NextEntry() {
        Level& level = m_levels.back();
        if (!level.entryPending && !FindNextFileW(level.find.get(), &level.entry)) return Walk::Done;
        level.entryPending = false;
        if (!AskContinue()) return Walk::Failed;
        try {
            return HandleEntry(level);
        } catch (...) {
            PostLastSystemError();
            return Walk::Failed;
        }
    }

    Walk HandleEntry(Level& level) {
        const WIN32_FIND_DATAW& entry = level.entry;
        if (IsDotEntry(entry.cFileName) || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return Walk::Listing;
        CString path = level.folder + u"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // level may move when the new level is pushed; it is not used after this.
            if (Enter(std::move(path)) != Walk::Listing && FoundInProbe()) return Walk::Done;
            return Walk::Listing;
        }
        const ULONGLONG size = (static_cast<ULONGLONG>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        if (m_progressBytes) {
            *m_progressBytes += static_cast<double>(size);
            PostProgress(Percent(*m_progressBytes), PHASE_SCAN);
        }
        if (!MatchExtension(ExtensionOf(entry.cFileName), m_patterns)) return Walk::Listing;
        // A Linux name may hold a backslash, which no path can name (it would
        // name another file): it is reported as a folder that cannot be listed
        // is, instead of listed under a wrong path.
        if (std::u16string_view(entry.cFileName).find(u'\\') != std::u16string_view::npos) {
            ReportExtendedError(MSG_ERROR_SCANDATA_CANNOT_FIND, path);
            return Walk::Listing;
        }
        m_result->push_back(path);
        if (!m_totalBytes) return Walk::Done;
        *m_totalBytes += size;
        PostProgressPath(path);
        return Walk::Listing;
    }

    UINT Percent(double progressBytes) const {
        if (!(m_usedBytes > 0)) return 0;
        const double percent = progressBytes * 100.0 / m_usedBytes;
        return percent >= 100.0 ? 100 : static_cast<UINT>(percent);
    }

    const std::vector<CString>* m_patterns;
    double m_usedBytes;
    double* m_progressBytes;
    std::vector<CString>* m_result;
    ULONGLONG* m_totalBytes;
    std::vector<Level> m_levels;
};

}  // namespace

bool ScanFolder(CString folder, const std::vector<CString>* patterns, double usedBytes, double* progressBytes,
                std::vector<CString>* result, ULONGLONG* totalBytes) {
    if (!result) return false;
    return FolderWalk(patterns, usedBytes, progressBytes, result, totalBytes).Run(std::move(folder));
}
