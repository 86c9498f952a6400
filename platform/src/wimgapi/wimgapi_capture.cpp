// WIMCaptureImage: scans a folder tree into a new image, asking the callbacks
// about every item, and writes the image into the file before returning, so
// that a returned handle means the image is in the file.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "drive_table.h"
#include "qxplatform.h"
#include "utf8_codec.h"
#include "wimgapi_callbacks.h"
#include "wimgapi_library.h"
#include "wimgapi_messages.h"
#include "wimgapi_objects.h"

namespace {

std::string CollapseSlashes(std::string path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path)
        if (c != '/' || out.empty() || out.back() != '/') out += c;
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

struct CaptureRun {
    HANDLE fileHandle;
    std::string sourceHost;  // collapsed, as handed to wimlib
    CString sourceWin;
    std::string ownHostPath;  // the image file itself is never captured into itself
    ProgressReporter progress;
    // Other drives and mounted file systems below the source are not part of this drive.
    std::unordered_set<std::string> rootsLeftOut;
    bool aborted = false;
};

bool IsBelow(const std::string& path, const std::string& folder) {
    if (folder == "/") return path.size() > 1 && path[0] == '/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// The roots below the source of what is not part of its drive: other drives,
// and file systems mounted below it (a mount point holds another device).
// Found once, so that each item offered costs one look-up.
std::unordered_set<std::string> RootsLeftOut(const std::string& source) {
    std::unordered_set<std::string> found;
    for (WCHAR letter = u'A'; letter <= u'Z'; ++letter) {
        const QxDrive* drive = QxFindDrive(letter);
        if (!drive) continue;
        std::string root = CollapseSlashes(QxDriveRootDir(*drive));
        if (IsBelow(root, source)) found.insert(root);
    }
    struct stat sourceStat;
    char* real = stat(source.c_str(), &sourceStat) == 0 ? realpath(source.c_str(), nullptr) : nullptr;
    if (!real) return found;
    const std::string realSource = real;
    std::free(real);
    // Mount points are named without symlinks; the scan names items below the source as given.
    const std::string scannedRoot = source == "/" ? std::string() : source;
    for (const std::string& point : QxHostMountPoints()) {
        if (!IsBelow(point, realSource)) continue;
        std::string scanned = scannedRoot + (realSource == "/" ? point : point.substr(realSource.size()));
        struct stat st;
        if (lstat(scanned.c_str(), &st) == 0 && st.st_dev != sourceStat.st_dev) found.insert(scanned);
    }
    return found;
}

// A scanned path with its separators collapsed; scratch holds the copy when
// one is needed (wimlib's paths rarely need one).
std::string_view Collapsed(const char* path, std::string& scratch) {
    const std::string_view given(path);
    if (given.find("//") == std::string_view::npos && (given.size() <= 1 || given.back() != '/')) return given;
    scratch = CollapseSlashes(std::string(given));
    return scratch;
}

// The part of a scanned path below the capture root; nullptr for the root itself.
const char* RelativeToSource(const CaptureRun& run, std::string_view path) {
    if (path.compare(0, run.sourceHost.size(), run.sourceHost) != 0) return path.data();
    const char* rest = path.data() + run.sourceHost.size();
    while (*rest == '/') ++rest;
    return *rest ? rest : nullptr;
}

// A name wimlib cannot store: the image keeps UTF-16 names, and bytes that are
// not UTF-8 have no UTF-16 form.
bool IsValidUtf8(const char* text) {
    bool invalid = false;
    QxUtf8ToUtf16(text, std::strlen(text), &invalid);
    return !invalid;
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
                std::string scratch;
                const std::string_view path = Collapsed(info->test_file_exclusion.path, scratch);
                const bool otherVolume = !run.rootsLeftOut.empty() && run.rootsLeftOut.count(std::string(path));
                if (path == run.ownHostPath || otherVolume) {
                    info->test_file_exclusion.will_exclude = true;
                    break;
                }
                const char* relative = RelativeToSource(run, path);
                if (!relative) break;
                CString winPath = JoinWindowsPath(run.sourceWin, relative);
                BOOL take = TRUE;
                if (SendWimMessage(run.fileHandle, WIM_MSG_PROCESS, reinterpret_cast<WPARAM>(winPath.GetString()),
                                   reinterpret_cast<LPARAM>(&take)) == WIM_MSG_ABORT_IMAGE)
                    return Abort(run);
                info->test_file_exclusion.will_exclude = !take;
                // A wanted item whose name the image cannot hold is left out (with what
                // is below it) and reported; the rest of the image goes on.
                if (take && !IsValidUtf8(relative)) {
                    info->test_file_exclusion.will_exclude = true;
                    if (SendWimMessage(run.fileHandle, WIM_MSG_ERROR, reinterpret_cast<WPARAM>(winPath.GetString()),
                                       ERROR_NO_UNICODE_TRANSLATION) == WIM_MSG_ABORT_IMAGE)
                        return Abort(run);
                }
                break;
            }
            case WIMLIB_PROGRESS_MSG_HANDLE_ERROR: {
                int savedErrno = errno;
                std::string scratch;
                const char* given = info->handle_error.path ? info->handle_error.path : "";
                const std::string_view path = Collapsed(given, scratch);
                const char* relative = RelativeToSource(run, path);
                CString winPath = relative ? JoinWindowsPath(run.sourceWin, relative) : run.sourceWin;
                DWORD code = SetLastErrorFromWimlib(info->handle_error.error_code, savedErrno);
                DWORD answer = SendWimMessage(run.fileHandle, WIM_MSG_ERROR,
                                              reinterpret_cast<WPARAM>(winPath.GetString()), code);
                if (answer == WIM_MSG_ABORT_IMAGE) return Abort(run);
                info->handle_error.will_ignore = answer == WIM_MSG_SKIP_ERROR;
                break;
            }
            case WIMLIB_PROGRESS_MSG_WRITE_STREAMS:
                if (run.progress.Report(info->write_streams.completed_bytes, info->write_streams.total_bytes) ==
                    WIM_MSG_ABORT_IMAGE)
                    return Abort(run);
                break;
            default:
                break;
        }
    } catch (...) {
        return Abort(run);
    }
    return WIMLIB_PROGRESS_STATUS_CONTINUE;
}

// Reads the file again after a write. After a failure the in-memory state may
// differ from the file; after a success the new image's data still points at the
// captured files, and any later write (the image's name, the boot index) would
// take as long as the capture's own.
void ReloadFromFile(WimFileObject& file) {
    WIMStruct* reloaded = nullptr;
    if (wimlib_open_wim(file.hostPath.c_str(), WIMLIB_OPEN_FLAG_WRITE_ACCESS, &reloaded) == 0) {
        wimlib_free(file.wim);
        file.wim = reloaded;
    }
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
        std::string sourceHost;
        if (!HostPathOf(pszPath, sourceHost)) return nullptr;
        CaptureRun run{hWim, CollapseSlashes(sourceHost), pszPath, CollapseSlashes(file->hostPath),
                       ProgressReporter(hWim), {}};
        run.rootsLeftOut = RootsLeftOut(run.sourceHost);

        // The mode bits and the extended attributes (user.DOSATTRIB: hidden, system,
        // archive) travel as UNIX data; wimlib leaves the image's own attribute field normal.
        int addFlags = WIMLIB_ADD_FLAG_TEST_FILE_EXCLUSION | WIMLIB_ADD_FLAG_UNIX_DATA |
                       ((dwCaptureFlags & WIM_FLAG_NO_RP_FIX) ? WIMLIB_ADD_FLAG_NORPFIX : 0);
        wimlib_register_progress_function(file->wim, OnCaptureProgress, &run);
        errno = 0;
        int ret = wimlib_add_image(file->wim, run.sourceHost.c_str(), nullptr, nullptr, addFlags);
        int savedErrno = errno;
        if (ret == 0) {
            errno = 0;
            ret = wimlib_overwrite(file->wim, 0, 0);
            savedErrno = errno;
        }
        wimlib_register_progress_function(file->wim, nullptr, nullptr);
        ReloadFromFile(*file);
        if (ret) return Fail(ret, savedErrno, run);
        if (run.progress.Report(1, 1) == WIM_MSG_ABORT_IMAGE) {
            // The image is already in the file; an abort this late still fails the call.
            SetLastError(ERROR_REQUEST_ABORTED);
            return nullptr;
        }
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
