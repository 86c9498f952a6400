// WIMApplyImage: announces every item of the image with its target path, then
// extracts the image below the target folder.
#include <cerrno>

#include "wimgapi_callbacks.h"
#include "wimgapi_library.h"
#include "wimgapi_messages.h"
#include "wimgapi_objects.h"

namespace {

struct ApplyRun {
    HANDLE fileHandle;
    CString targetWin;
    ProgressReporter progress;
    bool aborted = false;
};

int AnnounceItem(const struct wimlib_dir_entry* entry, void* context) {
    auto& run = *static_cast<ApplyRun*>(context);
    if (entry->depth == 0) return 0;  // the image root is the target folder itself
    try {
        CString winPath = JoinWindowsPath(run.targetWin, entry->full_path);
        BOOL take = TRUE;
        if (SendWimMessage(run.fileHandle, WIM_MSG_PROCESS, reinterpret_cast<WPARAM>(winPath.GetString()),
                           reinterpret_cast<LPARAM>(&take)) != WIM_MSG_ABORT_IMAGE)
            return 0;
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
        std::string targetHost;
        if (!HostPathOf(pszPath, targetHost)) return FALSE;
        WIMStruct* wim = image->file->wim;
        ApplyRun run{image->fileHandle, pszPath, ProgressReporter(image->fileHandle)};

        errno = 0;
        int ret = wimlib_iterate_dir_tree(wim, image->index, "", WIMLIB_ITERATE_DIR_TREE_FLAG_RECURSIVE,
                                          AnnounceItem, &run);
        if (ret == 0 && !(dwApplyFlags & WIM_FLAG_NO_APPLY)) {
            wimlib_register_progress_function(wim, OnApplyProgress, &run);
            errno = 0;
            ret = wimlib_extract_image(wim, image->index, targetHost.c_str(), WIMLIB_EXTRACT_FLAG_NO_ACLS);
            wimlib_register_progress_function(wim, nullptr, nullptr);
        }
        int savedErrno = errno;
        if (ret == 0 && run.progress.Report(1, 1) == WIM_MSG_ABORT_IMAGE) run.aborted = true;
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
