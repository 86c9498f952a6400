#include "wimgapi_verify.h"

#include <cerrno>
#include <vector>

#include "wimgapi_callbacks.h"
#include "wimgapi_host.h"
#include "wimgapi_library.h"

namespace {

struct CheckRun {
    WimImageObject& image;
    const CString& targetWin;
    ProgressReporter& progress;
    HostString scratch;  // host folder that takes one file at a time while damage is located
    struct File {
        HostString path, name;  // in the image; the name as extracted
        uint64_t bytes;
        unsigned part;
    };
    std::vector<File> files;
    uint64_t totalBytes = 0, doneBytes = 0;
    bool aborted = false;
    bool damaged = false;
    int stopError = 0;  // a failure that is no damage of the file being checked
};

bool IsDataDamage(int wimlibError) {
    switch (wimlibError) {
        case WIMLIB_ERR_INVALID_RESOURCE_HASH:
        case WIMLIB_ERR_DECOMPRESSION:
        case WIMLIB_ERR_INVALID_CHUNK_SIZE:
        case WIMLIB_ERR_UNEXPECTED_END_OF_FILE:
        case WIMLIB_ERR_RESOURCE_NOT_FOUND:
        case WIMLIB_ERR_READ:
            return true;
        default:
            return false;
    }
}

enum wimlib_progress_status OnProgress(enum wimlib_progress_msg msg, union wimlib_progress_info* info,
                                       void* context) {
    auto& run = *static_cast<CheckRun*>(context);
    if (msg != WIMLIB_PROGRESS_MSG_VERIFY_STREAMS) return WIMLIB_PROGRESS_STATUS_CONTINUE;
    if (run.progress.Report(info->verify_streams.completed_bytes, info->verify_streams.total_bytes) !=
        WIM_MSG_ABORT_IMAGE)
        return WIMLIB_PROGRESS_STATUS_CONTINUE;
    run.aborted = true;
    return WIMLIB_PROGRESS_STATUS_ABORT;
}

// One read of all data of the file and its parts, done at the first check of any of its images.
int CheckWholeFile(CheckRun& run) {
    WimFileObject& file = *run.image.file;
    if (file.dataCheck < 0) {
        wimlib_register_progress_function(file.wim, OnProgress, &run);
        const int ret = wimlib_verify_wim(file.wim, 0);
        wimlib_register_progress_function(file.wim, nullptr, nullptr);
        if (run.aborted) return WIMLIB_ERR_ABORTED_BY_PROGRESS;
        file.dataCheck = ret;
    }
    return file.dataCheck;
}

uint64_t DataBytes(const struct wimlib_dir_entry& entry) {
    uint64_t bytes = 0;
    for (uint32_t i = 0; i <= entry.num_named_streams; ++i) bytes += entry.streams[i].resource.uncompressed_size;
    return bytes;
}

// The part that holds the first stream with data.
unsigned PartOf(const struct wimlib_dir_entry& entry) {
    for (uint32_t i = 0; i <= entry.num_named_streams; ++i)
        if (entry.streams[i].resource.uncompressed_size > 0) return entry.streams[i].resource.part_number;
    return 0;
}

// Notes every file with data; extraction cannot run while the tree is being walked.
int NoteFile(const struct wimlib_dir_entry* entry, void* context) {
    auto& run = *static_cast<CheckRun*>(context);
    const uint64_t bytes = DataBytes(*entry);
    if (entry->depth == 0 || bytes == 0 || (entry->attributes & WIMLIB_FILE_ATTRIBUTE_DIRECTORY)) return 0;
    run.files.push_back({entry->full_path, entry->filename, bytes, PartOf(*entry)});
    run.totalBytes += bytes;
    return 0;
}

void ReportDamage(CheckRun& run, const CheckRun::File& file) {
    run.damaged = true;
    const HANDLE fileHandle = run.image.fileHandle;
    CString path = JoinWindowsPath(run.targetWin, file.path.c_str());
    if (SendWimMessage(fileHandle, WIM_MSG_ERROR, reinterpret_cast<WPARAM>(path.GetString()), ERROR_FILE_CORRUPT) ==
        WIM_MSG_ABORT_IMAGE)
        run.aborted = true;
    const auto part = run.image.file->partPaths.find(file.part);
    if (!run.aborted && part != run.image.file->partPaths.end() &&
        SendWimMessage(fileHandle, WIM_MSG_INFO, reinterpret_cast<WPARAM>(part->second.GetString()),
                       ERROR_FILE_CORRUPT) == WIM_MSG_ABORT_IMAGE)
        run.aborted = true;
}

// Extracts one file into the scratch folder and removes it again; a failure to read its data is damage.
// Returns false when the check cannot go on.
bool CheckOneFile(CheckRun& run, const CheckRun::File& file) {
    const HostChar* paths[] = {file.path.c_str()};
    errno = 0;
    const int ret = wimlib_extract_paths(run.image.file->wim, run.image.index, run.scratch.c_str(), paths, 1,
                                         WIMLIB_EXTRACT_FLAG_NO_ACLS | WIMLIB_EXTRACT_FLAG_NO_ATTRIBUTES |
                                             WIMLIB_EXTRACT_FLAG_NO_PRESERVE_DIR_STRUCTURE);
    const int savedErrno = errno;
    RemoveHostFile(run.scratch + kHostSeparator + file.name);
    if (ret && !IsDataDamage(ret)) {
        run.stopError = static_cast<int>(SetLastErrorFromWimlib(ret, savedErrno));
        return false;
    }
    if (ret) ReportDamage(run, file);
    run.doneBytes += file.bytes;
    if (!run.aborted && run.progress.Report(run.doneBytes, run.totalBytes) == WIM_MSG_ABORT_IMAGE) run.aborted = true;
    return !run.aborted;
}

// The file's temporary folder, or the system's.
HostString ScratchBase(const WimFileObject& file) {
    HostString host;
    if (file.tempPath.IsEmpty() || !HostPathOf(file.tempPath, host)) host.clear();
    return host;
}

// Goes through the files one by one to name the damaged ones.
DWORD LocateDamage(CheckRun& run) {
    if (!MakeScratchFolder(ScratchBase(*run.image.file), run.scratch)) return GetLastError();
    const int ret = wimlib_iterate_dir_tree(run.image.file->wim, run.image.index, QX_HOST_TEXT(""),
                                            WIMLIB_ITERATE_DIR_TREE_FLAG_RECURSIVE, NoteFile, &run);
    if (!ret)
        for (const CheckRun::File& file : run.files)
            if (!CheckOneFile(run, file)) break;
    RemoveHostFolder(run.scratch);
    if (run.aborted) return ERROR_REQUEST_ABORTED;
    if (run.stopError) return static_cast<DWORD>(run.stopError);
    if (ret) return SetLastErrorFromWimlib(ret, 0);
    return run.damaged ? ERROR_FILE_CORRUPT : ERROR_SUCCESS;
}

}  // namespace

DWORD VerifyImageData(WimImageObject& image, const CString& targetWin, ProgressReporter& progress) {
    CheckRun run{image, targetWin, progress, {}, {}};
    errno = 0;
    const int ret = CheckWholeFile(run);
    if (run.aborted) return ERROR_REQUEST_ABORTED;
    if (ret == 0) return ERROR_SUCCESS;
    if (!IsDataDamage(ret)) return SetLastErrorFromWimlib(ret, errno);
    // The file's data is damaged somewhere: this image's files are read one by one to find out where.
    return LocateDamage(run);
}
