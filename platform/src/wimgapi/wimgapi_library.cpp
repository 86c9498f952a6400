#include "wimgapi_library.h"

#include <wimlib.h>

#include <mutex>

#include "last_error.h"
#include "wimgapi.h"
#include "wimgapi_host.h"

namespace {

DWORD FromWimlib(int wimlibError, int errnoValue) {
    switch (wimlibError) {
        case WIMLIB_ERR_SUCCESS:
            return ERROR_SUCCESS;
        case WIMLIB_ERR_ABORTED_BY_PROGRESS:
            return ERROR_REQUEST_ABORTED;
        case WIMLIB_ERR_NOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case WIMLIB_ERR_INVALID_PARAM:
        case WIMLIB_ERR_INVALID_IMAGE:
        case WIMLIB_ERR_INVALID_COMPRESSION_TYPE:
        case WIMLIB_ERR_INVALID_CHUNK_SIZE:
        case WIMLIB_ERR_INVALID_PART_NUMBER:
        case WIMLIB_ERR_SPLIT_INVALID:
        case WIMLIB_ERR_IMAGE_COUNT:
            return ERROR_INVALID_PARAMETER;
        case WIMLIB_ERR_IMAGE_NAME_COLLISION:
            return ERROR_ALREADY_EXISTS;
        case WIMLIB_ERR_NOT_A_WIM_FILE:
        case WIMLIB_ERR_INVALID_HEADER:
        case WIMLIB_ERR_UNKNOWN_VERSION:
        case WIMLIB_ERR_INVALID_METADATA_RESOURCE:
        case WIMLIB_ERR_INVALID_LOOKUP_TABLE_ENTRY:
        case WIMLIB_ERR_INVALID_RESOURCE_HASH:
        case WIMLIB_ERR_INVALID_INTEGRITY_TABLE:
        case WIMLIB_ERR_INTEGRITY:
        case WIMLIB_ERR_DECOMPRESSION:
        case WIMLIB_ERR_XML:
        case WIMLIB_ERR_METADATA_NOT_FOUND:
        case WIMLIB_ERR_INVALID_REPARSE_DATA:
            return ERROR_INVALID_DATA;
        case WIMLIB_ERR_WIM_IS_INCOMPLETE:
        case WIMLIB_ERR_UNEXPECTED_END_OF_FILE:
            return ERROR_INVALID_DATA;
        case WIMLIB_ERR_RESOURCE_NOT_FOUND:
            return ERROR_FILE_NOT_FOUND;
        case WIMLIB_ERR_PATH_DOES_NOT_EXIST:
            return ERROR_PATH_NOT_FOUND;
        case WIMLIB_ERR_NOTDIR:
            return ERROR_DIRECTORY;
        case WIMLIB_ERR_ALREADY_LOCKED:
        case WIMLIB_ERR_CONCURRENT_MODIFICATION_DETECTED:
            return ERROR_SHARING_VIOLATION;
        case WIMLIB_ERR_INSUFFICIENT_PRIVILEGES:
        case WIMLIB_ERR_IS_DIRECTORY:
            return ERROR_ACCESS_DENIED;
        case WIMLIB_ERR_WIM_IS_READONLY:
        case WIMLIB_ERR_WIM_IS_ENCRYPTED:
            return ERROR_ACCESS_DENIED;
        case WIMLIB_ERR_UNSUPPORTED:
        case WIMLIB_ERR_UNSUPPORTED_FILE:
        case WIMLIB_ERR_IS_SPLIT_WIM:
            return ERROR_NOT_SUPPORTED;
        case WIMLIB_ERR_READ:
            return errnoValue ? QxWin32FromErrno(errnoValue) : ERROR_READ_FAULT;
        case WIMLIB_ERR_WRITE:
            return errnoValue ? QxWin32FromErrno(errnoValue) : ERROR_WRITE_FAULT;
        case WIMLIB_ERR_OPEN:
        case WIMLIB_ERR_OPENDIR:
        case WIMLIB_ERR_STAT:
        case WIMLIB_ERR_MKDIR:
        case WIMLIB_ERR_LINK:
        case WIMLIB_ERR_READLINK:
        case WIMLIB_ERR_RENAME:
        case WIMLIB_ERR_SET_ATTRIBUTES:
        case WIMLIB_ERR_SET_TIMESTAMPS:
        case WIMLIB_ERR_SET_SECURITY:
        case WIMLIB_ERR_SET_REPARSE_DATA:
            return errnoValue ? QxWin32FromErrno(errnoValue) : ERROR_ACCESS_DENIED;
        default:
            return ERROR_GEN_FAILURE;
    }
}

}  // namespace

void EnsureWimLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        wimlib_global_init(0);
        RouteLibraryMessages();
    });
}

DWORD SetLastErrorFromWimlib(int wimlibError, int errnoValue) {
    DWORD code = FromWimlib(wimlibError, errnoValue);
    SetLastError(code);
    return code;
}
