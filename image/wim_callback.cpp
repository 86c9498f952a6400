// WimMessageCallback: picks the files of a capture, cancels, turns the image
// percentage into the overall one and collects the part names of a split, all
// in the CaptureContext registered as the callback's user data.
#include <algorithm>

#include "services/dbglog.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "services/scoped_handle.h"
#include "image/capture_context.h"
#include "image/held_files.h"
#include "selection/folder_scan.h"
#include "wimgapi.h"

namespace {

const WCHAR* const kFileErrorLine = u"MSG_ERROR_WIM_MSG_ERROR - file: %s ...failed! error code: %d";

// A file the capture takes and a writer holds without read sharing stops
// the capture. The debug log this operation writes is no other writer's: it
// is taken as it stands.
bool IsLockedByAnotherWriter(const CaptureContext& c, uint32_t file, const CString& path) {
    const bool held = c.held ? c.held->IsHeld(file, path) : HeldAgainstReaders(path);
    return held && !IsOpenDbgLog(path);
}

CString UpperCase(const CString& path) {
    CString upper = path;
    upper.MakeUpper();
    return upper;
}

class ImageMessages {
public:
    explicit ImageMessages(CaptureContext& capture) : c(capture) {}

    void OnProgress(WPARAM percent) {
        const int phase = g_nOperation == OP_RESTORE ? PHASE_APPLY : PHASE_CAPTURE;
        if (c.stepCount > 0)
            c.overallPercent = static_cast<UINT>(percent) / static_cast<UINT>(c.stepCount) + c.overallCapturePercent;
        if (c.overallPercent > 100) c.overallPercent = 100;
        PostProgress(c.overallPercent, phase);
    }

    DWORD OnProcess(WPARAM wParam, LPARAM lParam) {
        const auto* text = reinterpret_cast<const WCHAR*>(wParam);
        if (!text || !*text) return WIM_MSG_SUCCESS;
        BOOL ignored = TRUE;
        BOOL* take = lParam ? reinterpret_cast<BOOL*>(lParam) : &ignored;
        if (g_nOperation == OP_RESTORE) OnRestoreItem(text, take);
        else if (g_nOperation == OP_BACKUP) return OnBackupItem(text, take);
        return WIM_MSG_SUCCESS;
    }

    // -235 names, once, each of the backup's listed files the error leaves
    // out; an error about anything else names its item.
    void OnError(WPARAM wParam, LPARAM lParam) {
        const auto* text = reinterpret_cast<const WCHAR*>(wParam);
        const CString item = text ? text : u"";
        DbgLog(kFileErrorLine, item.GetString(), static_cast<int>(lParam));
        PostError(static_cast<int>(lParam));
        if (g_nOperation == OP_RESTORE) ++c.itemErrors;
        std::vector<TakenFile> leftOut;
        std::vector<CString> named;
        if (g_nOperation == OP_BACKUP && c.taken) leftOut = FilesLeftOutWith(item);
        for (const TakenFile& file : leftOut) {
            if (!LeaveOut(file)) continue;
            named.push_back(ListedPath(file));
            if (named.back() != item) DbgLog(u"Left out of the backup with %s: %s", item.GetString(), named.back().GetString());
        }
        if (leftOut.empty()) named.push_back(item);
        PostErrorPaths(MSG_ERROR_WIM_MSG_ERROR, named, lParam);
    }

    void OnFileInfo(WPARAM wParam, LPARAM lParam) {
        const auto* path = reinterpret_cast<const WCHAR*>(wParam);
        if (g_nOperation == OP_RESTORE && path && lParam)
            c.applied.Note(path, *reinterpret_cast<const WIN32_FIND_DATAW*>(lParam));
    }

    void OnSplit(WPARAM wParam, LPARAM lParam) {
        if (!c.splitTemplate.IsEmpty()) {
            c.imageFiles.clear();
            c.imageFiles.push_back(c.splitTemplate);
            c.splitTemplate.Empty();
        }
        const auto* partText = wParam ? *reinterpret_cast<const WCHAR* const*>(wParam) : nullptr;
        CString part = partText ? partText : u"";
        // The first part was already entered from the template.
        if (c.imageFiles.empty() || c.imageFiles.back().CompareNoCase(part) != 0) c.imageFiles.push_back(part);
        c.splitProgress += lParam ? *reinterpret_cast<const ULONGLONG*>(lParam) : 0;
        ULONGLONG percent = c.splitTotal > 0 ? c.splitProgress * 100 / c.splitTotal : 100;
        if (percent > 100) percent = 100;
        if (g_pHostWnd && g_nOperation == OP_BACKUP) {
            PostProgress(static_cast<UINT>(percent), PHASE_SPLIT);
            DbgLog(u"WIM_MSG_SPLIT - now splitting percentage: %d%%", static_cast<int>(percent));
        }
        const CString shown = c.AsTheHostNamesIt(part);
        DbgLog(u"WIM_MSG_SPLIT - now splitting file: %s", shown.GetString());
        PostProgressPath(shown);
    }

private:
    bool HasWantedExtension(const CString& upperPath) const {
        return MatchExtension(ExtensionOf(upperPath), &c.extensions) != 0;
    }

    // A backup's file taken as item, by name and listed file.
    struct TakenFile {
        std::u16string name;
        uint32_t file;
    };

    FileMarks* MarksOf(uint32_t file) { return file < c.marks.size() ? &c.marks[file] : nullptr; }

    CString ListedPath(const TakenFile& taken) const {
        return c.listed && taken.file < c.listed->size() ? (*c.listed)[taken.file] : CString(taken.name);
    }

    void ListFile(const CString& upperPath, ULONGLONG size) {
        CString sizeLine;
        sizeLine.Format(u"File Size : %llu bytes", size);
        c.listLog.Append(upperPath);
        c.listLog.Append(sizeLine);
        c.categoryBytes += size;
    }

    void OnRestoreItem(const CString& path, BOOL* take) {
        *take = TRUE;
        const CString upperPath = UpperCase(path);
        if (HasWantedExtension(upperPath)) c.listLog.Append(upperPath);
        PostProgressPath(path);
    }

    // An item is decided by the capture's set alone (each item is offered once
    // per capture, so a file is listed once); a taken file that a writer holds
    // without read sharing stops the capture. Most items offered are not
    // taken, so the path is upper-cased only for those that are. Each file or
    // piece taken is marked for the listed file it stands for.
    DWORD OnBackupItem(const WCHAR* text, BOOL* take) {
        *take = FALSE;
        try {
            if (!c.taken) return WIM_MSG_SUCCESS;
            c.offered.assign(text);
            const TakenItems::Item* item = c.taken->Find(c.offered);
            if (!item) return WIM_MSG_SUCCESS;
            FileMarks* marks = MarksOf(item->file);
            if (marks && marks->leftOut) return WIM_MSG_SUCCESS;
            if (item->kind == TakenItems::Kind::Folder || item->kind == TakenItems::Kind::Piece) {
                *take = TRUE;
                if (marks) ++marks->standInsTaken;
                return WIM_MSG_SUCCESS;
            }
            const CString path = text;
            PostProgressPath(path);
            const CString upperPath = UpperCase(path);
            if (item->kind == TakenItems::Kind::File) {
                if (IsLockedByAnotherWriter(c, item->file, path)) {
                    DbgLog(kFileErrorLine, upperPath.GetString(), static_cast<int>(ERROR_SHARING_VIOLATION));
                    PostExtendedError(ERROR_SHARING_VIOLATION);
                    PostErrorPath(MSG_ERROR_WIM_MSG_ERROR, path, ERROR_SHARING_VIOLATION);
                    return WIM_MSG_ABORT_IMAGE;
                }
                *take = TRUE;
                if (marks) ++marks->standInsTaken;
            }
            ListFile(upperPath, item->size);
            return WIM_MSG_SUCCESS;
        } catch (...) {
            *take = FALSE;
            PostLastSystemError();
            return WIM_MSG_ABORT_IMAGE;
        }
    }

    // The backup's files that an item the capture leaves out takes with it: a
    // file itself, a piece's big file, every file below a folder. Sorted.
    std::vector<TakenFile> FilesLeftOutWith(const CString& item) const {
        std::vector<TakenFile> files;
        const TakenItems& taken = *c.taken;
        const std::u16string name = TakenItems::NameOf(item);
        const TakenItems::Item* found = taken.Find(name);
        if (!found) return files;
        switch (found->kind) {
            case TakenItems::Kind::Folder: {
                const std::u16string below = name + u'\\';
                for (const auto& [path, entry] : taken.items)
                    if ((entry.kind == TakenItems::Kind::File || entry.kind == TakenItems::Kind::BigFile) &&
                        path.compare(0, below.size(), below) == 0)
                        files.push_back({path, entry.file});
                std::sort(files.begin(), files.end(),
                          [](const TakenFile& a, const TakenFile& b) { return a.name < b.name; });
                break;
            }
            case TakenItems::Kind::Piece: {
                auto bigFile = taken.bigFileOfPiece.find(name);
                if (bigFile != taken.bigFileOfPiece.end()) files.push_back({bigFile->second, found->file});
                break;
            }
            default: files.push_back({name, found->file});
        }
        return files;
    }

    // A file the capture left out is not backed up: it leaves the list and the
    // byte total, and is marked as left out. False when it already was.
    bool LeaveOut(const TakenFile& taken) {
        FileMarks* marks = MarksOf(taken.file);
        if (!marks || marks->leftOut) return false;
        marks->leftOut = true;
        const TakenItems::Item* item = c.taken->Find(taken.name);
        if (c.listLog.RemoveFile(UpperCase(CString(taken.name))) && item)
            c.categoryBytes -= item->size < c.categoryBytes ? item->size : c.categoryBytes;
        return true;
    }

    CaptureContext& c;
};

void LogFileMessage(const WCHAR* format, WPARAM wParam, LPARAM lParam) {
    const auto* path = reinterpret_cast<const WCHAR*>(wParam);
    DbgLog(format, path ? path : u"", static_cast<int>(lParam));
}

}  // namespace

DWORD CALLBACK WimMessageCallback(DWORD messageId, WPARAM wParam, LPARAM lParam, PVOID userData) {
    try {
        if (!AskContinue()) {
            if (messageId == WIM_MSG_PROCESS && lParam) *reinterpret_cast<BOOL*>(lParam) = FALSE;
            return WIM_MSG_ABORT_IMAGE;
        }
        if (!userData) return WIM_MSG_SUCCESS;
        ImageMessages messages(*static_cast<CaptureContext*>(userData));
        switch (messageId) {
            case WIM_MSG_PROGRESS: messages.OnProgress(wParam); break;
            case WIM_MSG_PROCESS: return messages.OnProcess(wParam, lParam);
            case WIM_MSG_ERROR: messages.OnError(wParam, lParam); break;
            case WIM_MSG_FILEINFO: messages.OnFileInfo(wParam, lParam); break;
            case WIM_MSG_RETRY: DbgLog(u"WIM_MSG_RETRY"); break;
            case WIM_MSG_SPLIT: messages.OnSplit(wParam, lParam); break;
            case WIM_MSG_INFO: LogFileMessage(u"WIM_MSG_INFO - file: %s ...failed! error code: %d", wParam, lParam); break;
            case WIM_MSG_WARNING:
                LogFileMessage(u"WIM_MSG_WARNING - file: %s ...failed! error code: %d", wParam, lParam);
                break;
            default: break;
        }
    } catch (...) {
        PostLastSystemError();
        return WIM_MSG_ABORT_IMAGE;
    }
    return WIM_MSG_SUCCESS;
}
