// WIMCaptureImage: scans a folder tree into a new image, asking the callbacks
// about every item. The image is written with the file's other changes when
// the file handle is closed.
#include <cerrno>
#include <unordered_set>

#include "wimgapi_callbacks.h"
#include "wimgapi_host.h"
#include "wimgapi_library.h"
#include "wimgapi_messages.h"
#include "wimgapi_objects.h"

namespace {

struct CaptureRun {
    HANDLE fileHandle;
    HostString sourceHost;  // as wimlib names it while scanning
    CString sourceWin;
    HostString ownHostPath;  // the image file itself is never captured into itself
    // Other drives and mounted file systems below the source are not part of this drive.
    std::unordered_set<HostString> rootsLeftOut;
    HostString scanned;  // the item being offered, in its scanned form
    ScannedPaths winPaths{sourceWin};
    bool aborted = false;
};

// The part of a scanned path below the capture root; nullptr for the root itself.
const HostChar* RelativeToSource(const CaptureRun& run, const HostString& path) {
    if (path.compare(0, run.sourceHost.size(), run.sourceHost) != 0) return path.c_str();
    const HostChar* rest = path.c_str() + run.sourceHost.size();
    while (IsHostSeparator(*rest)) ++rest;
    return *rest ? rest : nullptr;
}

enum wimlib_progress_status Abort(CaptureRun& run) {
    run.aborted = true;
    return WIMLIB_PROGRESS_STATUS_ABORT;
}

enum wimlib_progress_status OnCaptureProgress(enum wimlib_progress_msg msg, union wimlib_progress_info* info,
                                              void* context) {
    auto& run = *static_cast<CaptureRun*>(context);
    try {
        switch (msg) {
            case WIMLIB_PROGRESS_MSG_TEST_FILE_EXCLUSION: {
                ScannedFormInto(info->test_file_exclusion.path, run.scanned);
                const HostString& path = run.scanned;
                const bool otherVolume = !run.rootsLeftOut.empty() && run.rootsLeftOut.count(path);
                if (path == run.ownHostPath || otherVolume) {
                    info->test_file_exclusion.will_exclude = true;
                    break;
                }
                const HostChar* relative = RelativeToSource(run, path);
                if (!relative) break;
                const WCHAR* winPath = run.winPaths.Join(relative);
                BOOL take = TRUE;
                if (SendWimMessage(run.fileHandle, WIM_MSG_PROCESS, reinterpret_cast<WPARAM>(winPath),
                                   reinterpret_cast<LPARAM>(&take)) == WIM_MSG_ABORT_IMAGE)
                    return Abort(run);
                info->test_file_exclusion.will_exclude = !take;
                // A wanted item whose name the image cannot hold is left out (with what
                // is below it) and reported; the rest of the image goes on.
                if (take && !run.winPaths.Storable()) {
                    info->test_file_exclusion.will_exclude = true;
                    if (SendWimMessage(run.fileHandle, WIM_MSG_ERROR, reinterpret_cast<WPARAM>(winPath),
                                       ERROR_NO_UNICODE_TRANSLATION) == WIM_MSG_ABORT_IMAGE)
                        return Abort(run);
                }
                break;
            }
            case WIMLIB_PROGRESS_MSG_HANDLE_ERROR: {
                int savedErrno = errno;
                const HostChar* given = info->handle_error.path ? info->handle_error.path : QX_HOST_TEXT("");
                const HostString path = ScannedForm(given);
                const HostChar* relative = RelativeToSource(run, path);
                CString winPath = relative ? JoinWindowsPath(run.sourceWin, relative) : run.sourceWin;
                DWORD code = SetLastErrorFromWimlib(info->handle_error.error_code, savedErrno);
                DWORD answer = SendWimMessage(run.fileHandle, WIM_MSG_ERROR,
                                              reinterpret_cast<WPARAM>(winPath.GetString()), code);
                if (answer == WIM_MSG_ABORT_IMAGE) return Abort(run);
                info->handle_error.will_ignore = answer == WIM_MSG_SKIP_ERROR;
                break;
            }
            default:
                break;
        }
    } catch (...) {
        return Abort(run);
    }
    return WIMLIB_PROGRESS_STATUS_CONTINUE;
}

HANDLE Fail(int ret, int savedErrno, const CaptureRun& run) {
    SetLastError(run.aborted ? ERROR_REQUEST_ABORTED : SetLastErrorFromWimlib(ret, savedErrno));
    return nullptr;
}

}  // namespace

HANDLE WIMCaptureImage(HANDLE hWim, PCWSTR pszPath, DWORD dwCaptureFlags) {
    return GuardWimCall<HANDLE>(nullptr, [&]() -> HANDLE {
        WimFileObject* file = LookupWimFile(hWim);
        if (!file) return nullptr;
        if (!file->writable) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        HostString sourceHost;
        if (!HostPathOf(pszPath, sourceHost)) return nullptr;
        CaptureRun run{hWim, ScannedForm(sourceHost), pszPath, ScannedForm(file->hostPath), {}, {}};
        run.rootsLeftOut = RootsLeftOut(run.sourceHost);

        int addFlags = WIMLIB_ADD_FLAG_TEST_FILE_EXCLUSION | HostCaptureFlags() |
                       ((dwCaptureFlags & WIM_FLAG_NO_RP_FIX) ? WIMLIB_ADD_FLAG_NORPFIX : 0);
        wimlib_register_progress_function(file->wim, OnCaptureProgress, &run);
        errno = 0;
        int ret = wimlib_add_image(file->wim, sourceHost.c_str(), nullptr, nullptr, addFlags);
        const int savedErrno = errno;
        wimlib_register_progress_function(file->wim, nullptr, nullptr);
        if (ret) return Fail(ret, savedErrno, run);
        file->changed = true;
        struct wimlib_wim_info info;
        wimlib_get_wim_info(file->wim, &info);
        auto* image = new WimImageObject;
        image->fileHandle = hWim;
        image->file = file;
        image->index = static_cast<int>(info.image_count);
        SetLastError(ERROR_SUCCESS);
        return RegisterWimObject(image);
    });
}
