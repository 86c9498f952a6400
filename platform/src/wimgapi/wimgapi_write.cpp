// Writing an open image file's changes. Captured images and the properties
// set on them stay in memory until the file handle is closed, so that the
// file is written once however many images a run adds.
#include <cerrno>

#include "wimgapi_library.h"
#include "wimgapi_messages.h"
#include "wimgapi_objects.h"

namespace {

struct WriteRun {
    ProgressReporter progress;
    bool aborted = false;
};

enum wimlib_progress_status OnWriteProgress(enum wimlib_progress_msg msg, union wimlib_progress_info* info,
                                            void* context) {
    auto& run = *static_cast<WriteRun*>(context);
    try {
        if (msg == WIMLIB_PROGRESS_MSG_WRITE_STREAMS &&
            run.progress.Report(info->write_streams.completed_bytes, info->write_streams.total_bytes) ==
                WIM_MSG_ABORT_IMAGE)
            run.aborted = true;
    } catch (...) {
        run.aborted = true;
    }
    return run.aborted ? WIMLIB_PROGRESS_STATUS_ABORT : WIMLIB_PROGRESS_STATUS_CONTINUE;
}

}  // namespace

bool WriteWimChanges(HANDLE handle, WimFileObject& file) {
    if (!file.changed) return true;
    file.changed = false;
    WriteRun run{ProgressReporter(handle)};
    wimlib_register_progress_function(file.wim, OnWriteProgress, &run);
    // Appended after what the file holds: until the new header is written
    // last, the file stays the one it was, and a failed write is cut off again.
    errno = 0;
    const int ret = wimlib_overwrite(file.wim, 0, 0);
    const int savedErrno = errno;
    wimlib_register_progress_function(file.wim, nullptr, nullptr);
    if (ret) {
        SetLastError(run.aborted ? ERROR_REQUEST_ABORTED : SetLastErrorFromWimlib(ret, savedErrno));
        return false;
    }
    run.progress.Report(1, 1);
    return true;
}

bool WriteAndReopenWim(HANDLE handle, WimFileObject& file) {
    if (!file.changed) return true;
    if (!WriteWimChanges(handle, file)) return false;
    WIMStruct* reopened = nullptr;
    errno = 0;
    const int ret = wimlib_open_wim(file.hostPath.c_str(), WIMLIB_OPEN_FLAG_WRITE_ACCESS, &reopened);
    if (ret) {
        SetLastErrorFromWimlib(ret, errno);
        return false;
    }
    wimlib_free(file.wim);
    file.wim = reopened;
    return true;
}
