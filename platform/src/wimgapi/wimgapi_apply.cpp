// WIMApplyImage: announces every item of the image with its target path, then
// extracts the image below the target folder; WIM_FLAG_FILEINFO reports each
// item's stored metadata. With WIM_FLAG_NO_APPLY nothing is written, and
// WIM_FLAG_VERIFY reads every file's data and checks it against its hash.
#include <cerrno>
#include <string>
#include <vector>

// Through the include path, which puts the Windows build's own first.
#include <applied_modes.h>
#include <apply_target.h>

#include "file_time.h"
#include "last_error.h"
#include "wimgapi_callbacks.h"
#include "wimgapi_host.h"
#include "wimgapi_library.h"
#include "wimgapi_messages.h"
#include "wimgapi_objects.h"
#include "wimgapi_verify.h"

namespace {

struct ApplyRun {
    HANDLE fileHandle;
    CString targetWin;
    bool fileInfo;
    ProgressReporter progress;
    bool apply;
    bool aborted = false;
    // The last item this system cannot make, by its image path: it is named
    // with WIM_MSG_ERROR instead of being announced, and so is all below it,
    // which the walk (depth first) meets right after it.
    HostString unusable{};
    // The items that wimlib would fail the whole extraction on (a name too
    // long for the host); it skips one holding a '/' by itself.
    std::vector<HostString> removeBeforeExtract{};
    ScannedPaths winPaths{targetWin};
};

bool BelowUnusable(const ApplyRun& run, const HostString& path) {
    const HostString& item = run.unusable;
    return !item.empty() && path.size() > item.size() && path.compare(0, item.size(), item) == 0 &&
           path[item.size()] == kImageSeparator;
}

FILETIME FileTimeOf(const wimlib_timespec& time, int32_t high) {
    return QxFileTimeFrom(static_cast<LONGLONG>((static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) |
                                                static_cast<uint32_t>(time.tv_sec)),
                          time.tv_nsec);
}

// The stored metadata of an item as a find result: attributes, times, size of its data.
WIN32_FIND_DATAW FindDataOf(const struct wimlib_dir_entry& entry) {
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = entry.attributes;
    data.ftCreationTime = FileTimeOf(entry.creation_time, entry.creation_time_high);
    data.ftLastAccessTime = FileTimeOf(entry.last_access_time, entry.last_access_time_high);
    data.ftLastWriteTime = FileTimeOf(entry.last_write_time, entry.last_write_time_high);
    const uint64_t size = entry.streams[0].resource.uncompressed_size;
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    const std::u16string name = FromHostText(entry.filename).str();
    name.copy(data.cFileName, std::min<size_t>(name.size(), MAX_PATH - 1));
    return data;
}

int AnnounceItem(const struct wimlib_dir_entry* entry, void* context) {
    auto& run = *static_cast<ApplyRun*>(context);
    if (entry->depth == 0) return 0;  // the image root is the target folder itself
    try {
        const WPARAM path = reinterpret_cast<WPARAM>(run.winPaths.Join(entry->full_path));
        const HostString imagePath = entry->full_path;
        DWORD unusable = BelowUnusable(run, imagePath) ? ERROR_INVALID_NAME : 0;
        if (run.apply && !unusable && (unusable = UnusableNameError(entry->filename)) != 0) {
            run.unusable = imagePath;
            if (unusable == ERROR_FILENAME_EXCED_RANGE) run.removeBeforeExtract.push_back(imagePath);
        }
        if (unusable) {
            if (SendWimMessage(run.fileHandle, WIM_MSG_ERROR, path, static_cast<LPARAM>(unusable)) !=
                WIM_MSG_ABORT_IMAGE)
                return 0;
            run.aborted = true;
            return WIMLIB_ERR_ABORTED_BY_PROGRESS;
        }
        BOOL take = TRUE;
        DWORD answer = SendWimMessage(run.fileHandle, WIM_MSG_PROCESS, path, reinterpret_cast<LPARAM>(&take));
        if (answer != WIM_MSG_ABORT_IMAGE && run.fileInfo) {
            WIN32_FIND_DATAW data = FindDataOf(*entry);
            answer = SendWimMessage(run.fileHandle, WIM_MSG_FILEINFO, path, reinterpret_cast<LPARAM>(&data));
        }
        if (answer != WIM_MSG_ABORT_IMAGE) return 0;
    } catch (...) {
    }
    run.aborted = true;
    return WIMLIB_ERR_ABORTED_BY_PROGRESS;
}

enum wimlib_progress_status OnApplyProgress(enum wimlib_progress_msg msg, union wimlib_progress_info* info,
                                            void* context) {
    auto& run = *static_cast<ApplyRun*>(context);
    if (msg != WIMLIB_PROGRESS_MSG_EXTRACT_STREAMS) return WIMLIB_PROGRESS_STATUS_CONTINUE;
    if (run.progress.Report(info->extract.completed_bytes, info->extract.total_bytes) != WIM_MSG_ABORT_IMAGE)
        return WIMLIB_PROGRESS_STATUS_CONTINUE;
    run.aborted = true;
    return WIMLIB_PROGRESS_STATUS_ABORT;
}

}  // namespace

BOOL WIMApplyImage(HANDLE hImage, PCWSTR pszPath, DWORD dwApplyFlags) {
    return GuardWimCall<BOOL>(FALSE, [&]() -> BOOL {
        WimImageObject* image = LookupWimImage(hImage);
        if (!image) return FALSE;
        const bool apply = !(dwApplyFlags & WIM_FLAG_NO_APPLY);
        // Without applying, the target only prefixes the reported paths.
        HostString targetHost;
        if (apply && !HostPathOf(pszPath, targetHost)) return FALSE;
        WIMStruct* wim = image->file->wim;
        ApplyRun run{image->fileHandle, pszPath ? pszPath : u"", (dwApplyFlags & WIM_FLAG_FILEINFO) != 0,
                     ProgressReporter(image->fileHandle), apply};

        errno = 0;
        int ret = wimlib_iterate_dir_tree(wim, image->index, QX_HOST_TEXT(""), WIMLIB_ITERATE_DIR_TREE_FLAG_RECURSIVE,
                                          AnnounceItem, &run);
        int savedErrno = errno;
        // What cannot be made here leaves the image in memory only, of a file
        // opened for reading, which nothing writes back.
        for (const HostString& item : run.removeBeforeExtract) {
            if (ret != 0 || image->file->writable) break;
            errno = 0;
            ret = wimlib_delete_path(wim, image->index, item.c_str(), WIMLIB_DELETE_FLAG_RECURSIVE);
            savedErrno = errno;
        }
        if (ret == 0 && apply) {
            // No privilege the image asks for stays (applied_modes.h).
            const QxApplyTarget target(targetHost);
            wimlib_register_progress_function(wim, OnApplyProgress, &run);
            errno = 0;
            ret = wimlib_extract_image(wim, image->index, targetHost.c_str(),
                                       HostExtractFlags());
            savedErrno = errno;
            wimlib_register_progress_function(wim, nullptr, nullptr);
            // A failed or cancelled extraction keeps what it wrote, as Windows' WIMGAPI does.
            target.Restore();
            // Also after a failed or cancelled apply: what it wrote stays.
            if (!QxDropAppliedPrivileges(wim, image->index, targetHost, !target.Existed()))
                return QxFail(QxWin32FromErrno(errno));
        }
        if (ret == 0 && !apply && (dwApplyFlags & WIM_FLAG_VERIFY)) {
            const DWORD result = VerifyImageData(*image, run.targetWin, run.progress);
            if (result == ERROR_REQUEST_ABORTED) run.aborted = true;
            else if (result != ERROR_SUCCESS) return QxFail(result);
        }
        if (ret == 0 && !run.aborted && run.progress.Report(1, 1) == WIM_MSG_ABORT_IMAGE) run.aborted = true;
        if (run.aborted) {
            SetLastError(ERROR_REQUEST_ABORTED);
            return FALSE;
        }
        if (ret) {
            SetLastErrorFromWimlib(ret, savedErrno);
            return FALSE;
        }
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    });
}
