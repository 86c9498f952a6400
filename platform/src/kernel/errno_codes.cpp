// errno values as Win32 codes; built for Linux and Windows alike (the
// Windows WIMGAPI engine maps wimlib's errno with it).
#include <cerrno>

#include "last_error.h"

namespace {
constexpr DWORD kErrorNotSameDevice = 17;
constexpr DWORD kErrorNotReady = 21;
constexpr DWORD kErrorFileTooLarge = 223;
}  // namespace

DWORD QxWin32FromErrno(int err) {
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
#ifdef EDQUOT
    case EDQUOT:
#endif
    case ENOSPC: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY:
    case ETXTBSY:
    case EAGAIN: return ERROR_SHARING_VIOLATION;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case ENOSYS: return ERROR_INVALID_FUNCTION;
    case EXDEV: return kErrorNotSameDevice;
    case ENXIO:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
    case ENODEV: return kErrorNotReady;
    case EFBIG: return kErrorFileTooLarge;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case EINTR: return ERROR_OPERATION_ABORTED;
    case EIO: return ERROR_GEN_FAILURE;
    default: return ERROR_GEN_FAILURE;
    }
}
