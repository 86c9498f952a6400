// WIMSplitFile: cuts an image file into part files (name.swm, name2.swm, ...),
// announcing each finished part with its path and size.
#include <cerrno>
#include <vector>

#include "wimgapi_callbacks.h"
#include "wimgapi_host.h"
#include "wimgapi_library.h"
#include "wimgapi_objects.h"

namespace {

struct LargestResource {
    uint64_t size = 0;
};

int NoteResourceSize(const struct wimlib_resource_entry* resource, void* context) {
    auto& largest = *static_cast<LargestResource*>(context);
    uint64_t stored = resource->packed ? resource->raw_resource_compressed_size : resource->compressed_size;
    if (stored > largest.size) largest.size = stored;
    return 0;
}

struct SplitRun {
    HANDLE fileHandle;
    CString firstPartWin;
    std::vector<HostString> partsWritten;
    bool aborted = false;
};

// The Windows path of a part: the folder of the first part and the part's own file name.
CString PartWindowsPath(const SplitRun& run, const HostString& hostPart) {
    int slash = run.firstPartWin.ReverseFind(u'\\');
    size_t nameAt = hostPart.size();
    while (nameAt > 0 && !IsHostSeparator(hostPart[nameAt - 1])) --nameAt;
    CString name = FromHostText(hostPart.c_str() + nameAt);
    return slash < 0 ? name : run.firstPartWin.Left(slash + 1) + name;
}

enum wimlib_progress_status OnSplitProgress(enum wimlib_progress_msg msg, union wimlib_progress_info* info,
                                            void* context) {
    auto& run = *static_cast<SplitRun*>(context);
    try {
        if (msg == WIMLIB_PROGRESS_MSG_SPLIT_BEGIN_PART) {
            run.partsWritten.push_back(info->split.part_name);
        } else if (msg == WIMLIB_PROGRESS_MSG_SPLIT_END_PART) {
            LARGE_INTEGER size{};
            size.QuadPart = static_cast<LONGLONG>(HostFileSize(info->split.part_name));
            CString winPart = PartWindowsPath(run, info->split.part_name);
            PWSTR text = const_cast<PWSTR>(winPart.GetString());
            if (SendWimMessage(run.fileHandle, WIM_MSG_SPLIT, reinterpret_cast<WPARAM>(&text),
                               reinterpret_cast<LPARAM>(&size)) == WIM_MSG_ABORT_IMAGE) {
                run.aborted = true;
                return WIMLIB_PROGRESS_STATUS_ABORT;
            }
        }
        return WIMLIB_PROGRESS_STATUS_CONTINUE;
    } catch (...) {
        run.aborted = true;
        return WIMLIB_PROGRESS_STATUS_ABORT;
    }
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

BOOL WIMSplitFile(HANDLE hWim, PCWSTR pszPartPath, PLARGE_INTEGER pliPartSize, DWORD /*dwFlags*/) {
    return GuardWimCall<BOOL>(FALSE, [&]() -> BOOL {
        WimFileObject* file = LookupWimFile(hWim);
        if (!file) return FALSE;
        if (!pliPartSize || pliPartSize->QuadPart <= 0) return Fail(ERROR_INVALID_PARAMETER);
        if (!WriteAndReopenWim(hWim, *file)) return FALSE;
        HostString firstPartHost;
        if (!HostPathOf(pszPartPath, firstPartHost)) return FALSE;

        // Every stored resource must fit into one part; otherwise nothing is written.
        LargestResource largest;
        int ret = wimlib_iterate_lookup_table(file->wim, 0, NoteResourceSize, &largest);
        if (ret) return Fail(SetLastErrorFromWimlib(ret, 0));
        const uint64_t partSize = static_cast<uint64_t>(pliPartSize->QuadPart);
        if (largest.size > partSize) {
            pliPartSize->QuadPart = static_cast<LONGLONG>(largest.size);
            return Fail(ERROR_MORE_DATA);
        }

        SplitRun run{hWim, pszPartPath, {}};
        wimlib_register_progress_function(file->wim, OnSplitProgress, &run);
        errno = 0;
        ret = wimlib_split(file->wim, firstPartHost.c_str(), partSize, 0);
        int savedErrno = errno;
        wimlib_register_progress_function(file->wim, nullptr, nullptr);
        if (ret == 0) {
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        }
        // A failed split leaves no part behind.
        for (const HostString& part : run.partsWritten) RemoveHostFile(part);
        return Fail(run.aborted ? ERROR_REQUEST_ABORTED : SetLastErrorFromWimlib(ret, savedErrno));
    });
}
