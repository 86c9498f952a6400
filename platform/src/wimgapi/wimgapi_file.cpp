// Opening and creating image files, their attributes, references, images and handles.
#include <algorithm>
#include <cerrno>

#include "wimgapi_host.h"
#include "wimgapi_library.h"
#include "wimgapi_objects.h"

namespace {

bool CompressionToWimlib(DWORD type, wimlib_compression_type* out) {
    switch (type) {
        case WIM_COMPRESS_NONE: *out = WIMLIB_COMPRESSION_TYPE_NONE; return true;
        case WIM_COMPRESS_XPRESS: *out = WIMLIB_COMPRESSION_TYPE_XPRESS; return true;
        case WIM_COMPRESS_LZX: *out = WIMLIB_COMPRESSION_TYPE_LZX; return true;
        case WIM_COMPRESS_LZMS: *out = WIMLIB_COMPRESSION_TYPE_LZMS; return true;
        default: return false;
    }
}

DWORD CompressionFromWimlib(int type) {
    switch (type) {
        case WIMLIB_COMPRESSION_TYPE_XPRESS: return WIM_COMPRESS_XPRESS;
        case WIMLIB_COMPRESSION_TYPE_LZX: return WIM_COMPRESS_LZX;
        case WIMLIB_COMPRESSION_TYPE_LZMS: return WIM_COMPRESS_LZMS;
        default: return WIM_COMPRESS_NONE;
    }
}

// Writes an image file without images, so that a created file is a valid one from the start.
bool WriteEmptyWim(const HostString& hostPath, wimlib_compression_type type) {
    WIMStruct* fresh = nullptr;
    int ret = wimlib_create_new_wim(type, &fresh);
    if (ret == 0) {
        errno = 0;
        ret = wimlib_write(fresh, hostPath.c_str(), WIMLIB_ALL_IMAGES, 0, 1);
    }
    int savedErrno = errno;
    wimlib_free(fresh);
    if (ret) SetLastErrorFromWimlib(ret, savedErrno);
    return ret == 0;
}

unsigned PartNumberOf(WIMStruct* wim) {
    struct wimlib_wim_info info;
    return wimlib_get_wim_info(wim, &info) == 0 ? info.part_number : 1;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

HANDLE WIMCreateFile(PCWSTR pszWimPath, DWORD dwDesiredAccess, DWORD dwCreationDisposition,
                     DWORD dwFlagsAndAttributes, DWORD dwCompressionType, PDWORD pdwCreationResult) {
    return GuardWimCall<HANDLE>(nullptr, [&]() -> HANDLE {
        const bool writable = (dwDesiredAccess & WIM_GENERIC_WRITE) != 0;
        if (!(dwDesiredAccess & (WIM_GENERIC_READ | WIM_GENERIC_WRITE)) || dwCreationDisposition < WIM_CREATE_NEW ||
            dwCreationDisposition > WIM_OPEN_ALWAYS) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        HostString hostPath;
        if (!HostPathOf(pszWimPath, hostPath)) return nullptr;
        const HostEntry entry = HostEntryKind(hostPath);
        const bool exists = entry != HostEntry::Missing;
        if (entry == HostEntry::Folder) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        bool create = false;
        switch (dwCreationDisposition) {
            case WIM_CREATE_NEW:
                if (exists) {
                    SetLastError(ERROR_FILE_EXISTS);
                    return nullptr;
                }
                create = true;
                break;
            case WIM_CREATE_ALWAYS: create = true; break;
            case WIM_OPEN_EXISTING:
                if (!exists) {
                    SetLastError(ERROR_FILE_NOT_FOUND);
                    return nullptr;
                }
                break;
            default: create = !exists; break;
        }
        if (create) {
            wimlib_compression_type type;
            if (!writable || !CompressionToWimlib(dwCompressionType, &type)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            if (!WriteEmptyWim(hostPath, type)) return nullptr;
        }
        int openFlags = (writable ? WIMLIB_OPEN_FLAG_WRITE_ACCESS : 0) |
                        ((dwFlagsAndAttributes & WIM_FLAG_VERIFY) ? WIMLIB_OPEN_FLAG_CHECK_INTEGRITY : 0);
        WIMStruct* wim = nullptr;
        errno = 0;
        int ret = wimlib_open_wim(hostPath.c_str(), openFlags, &wim);
        if (ret) {
            SetLastErrorFromWimlib(ret, errno);
            return nullptr;
        }
        auto* file = new WimFileObject;
        file->wim = wim;
        file->winPath = pszWimPath;
        file->partPaths[PartNumberOf(wim)] = pszWimPath;
        file->hostPath = hostPath;
        file->writable = writable;
        if (pdwCreationResult) *pdwCreationResult = create ? WIM_CREATED_NEW : WIM_OPENED_EXISTING;
        return RegisterWimObject(file);
    });
}

// Closing a file handle writes the file's changes; the handle is closed
// whether or not that write succeeds.
BOOL WIMCloseHandle(HANDLE hObject) {
    return GuardWimCall<BOOL>(FALSE, [&]() -> BOOL {
        const DWORD before = GetLastError();
        WimFileObject* file = LookupWimFile(hObject);
        const bool written = !file || WriteWimChanges(hObject, *file);
        const DWORD writeError = GetLastError();
        if (!CloseWimObject(hObject)) return FALSE;
        SetLastError(written ? before : writeError);
        return written ? TRUE : FALSE;
    });
}

BOOL WIMGetAttributes(HANDLE hWim, PWIM_INFO pWimInfo, DWORD cbWimInfo) {
    return GuardWimCall<BOOL>(FALSE, [&]() -> BOOL {
        WimFileObject* file = LookupWimFile(hWim);
        if (!file) return FALSE;
        if (!pWimInfo) return Fail(ERROR_INVALID_PARAMETER);
        if (cbWimInfo < sizeof(WIM_INFO)) return Fail(ERROR_INSUFFICIENT_BUFFER);
        struct wimlib_wim_info info;
        int ret = wimlib_get_wim_info(file->wim, &info);
        if (ret) {
            SetLastErrorFromWimlib(ret, 0);
            return FALSE;
        }
        WIM_INFO out{};
        const std::u16string& path = file->winPath.str();
        std::copy_n(path.begin(), std::min<size_t>(path.size(), MAX_PATH - 1), out.WimPath);
        std::copy_n(info.guid, sizeof out.Guid, out.Guid);
        out.ImageCount = info.image_count;
        out.CompressionType = CompressionFromWimlib(info.compression_type);
        out.PartNumber = info.part_number;
        out.TotalParts = info.total_parts;
        out.BootIndex = info.boot_index;
        out.WimAttributes = (info.has_integrity_table ? WIM_ATTRIBUTE_VERIFY_DATA : 0) |
                            (info.has_rpfix ? WIM_ATTRIBUTE_RP_FIX : 0) |
                            (info.total_parts > 1 ? WIM_ATTRIBUTE_SPANNED : 0) |
                            (info.is_marked_readonly || !file->writable ? WIM_ATTRIBUTE_READONLY : 0);
        *pWimInfo = out;
        return TRUE;
    });
}

BOOL WIMSetTemporaryPath(HANDLE hWim, PCWSTR pszPath) {
    return GuardWimCall<BOOL>(FALSE, [&]() -> BOOL {
        WimFileObject* file = LookupWimFile(hWim);
        if (!file) return FALSE;
        HostString hostPath;
        if (!HostPathOf(pszPath, hostPath)) return FALSE;
        const HostEntry entry = HostEntryKind(hostPath);
        if (entry == HostEntry::Missing) return Fail(ERROR_PATH_NOT_FOUND);
        if (entry != HostEntry::Folder) return Fail(ERROR_DIRECTORY);
        file->tempPath = pszPath;
        return TRUE;
    });
}

BOOL WIMSetReferenceFile(HANDLE hWim, PCWSTR pszPath, DWORD dwFlags) {
    return GuardWimCall<BOOL>(FALSE, [&]() -> BOOL {
        WimFileObject* file = LookupWimFile(hWim);
        if (!file) return FALSE;
        const DWORD mode = dwFlags & (WIM_REFERENCE_APPEND | WIM_REFERENCE_REPLACE);
        if (mode != WIM_REFERENCE_APPEND && mode != WIM_REFERENCE_REPLACE) return Fail(ERROR_INVALID_PARAMETER);
        // Resources once referenced cannot be dropped again from a loaded file.
        if (mode == WIM_REFERENCE_REPLACE && file->referencedParts) return Fail(ERROR_NOT_SUPPORTED);
        HostString hostPath;
        if (!HostPathOf(pszPath, hostPath)) return FALSE;
        const HostChar* paths[] = {hostPath.c_str()};
        errno = 0;
        int ret = wimlib_reference_resource_files(file->wim, paths, 1, 0, 0);
        if (ret) {
            SetLastErrorFromWimlib(ret, errno);
            return FALSE;
        }
        file->referencedParts = true;
        WIMStruct* part = nullptr;
        if (wimlib_open_wim(hostPath.c_str(), 0, &part) == 0) {
            file->partPaths[PartNumberOf(part)] = pszPath;
            wimlib_free(part);
        }
        return TRUE;
    });
}

HANDLE WIMLoadImage(HANDLE hWim, DWORD dwImageIndex) {
    return GuardWimCall<HANDLE>(nullptr, [&]() -> HANDLE {
        WimFileObject* file = LookupWimFile(hWim);
        if (!file) return nullptr;
        struct wimlib_wim_info info;
        int ret = wimlib_get_wim_info(file->wim, &info);
        if (ret || dwImageIndex < 1 || dwImageIndex > info.image_count) {
            SetLastError(ret ? SetLastErrorFromWimlib(ret, 0) : ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        auto* image = new WimImageObject;
        image->fileHandle = hWim;
        image->file = file;
        image->index = static_cast<int>(dwImageIndex);
        return RegisterWimObject(image);
    });
}

BOOL WIMSetBootImage(HANDLE hWim, DWORD dwImageIndex) {
    return GuardWimCall<BOOL>(FALSE, [&]() -> BOOL {
        WimFileObject* file = LookupWimFile(hWim);
        if (!file) return FALSE;
        if (!file->writable) return Fail(ERROR_ACCESS_DENIED);
        struct wimlib_wim_info info;
        int ret = wimlib_get_wim_info(file->wim, &info);
        if (!ret && dwImageIndex > info.image_count) return Fail(ERROR_INVALID_PARAMETER);
        if (!ret) {
            info.boot_index = dwImageIndex;
            ret = wimlib_set_wim_info(file->wim, &info, WIMLIB_CHANGE_BOOT_INDEX);
        }
        if (ret) {
            SetLastErrorFromWimlib(ret, 0);
            return FALSE;
        }
        file->changed = true;
        return TRUE;
    });
}
