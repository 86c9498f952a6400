// CreateFileW and the calls on its file handles.
#include "file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "file_info.h"
#include "file_open.h"
#include "file_time.h"
#include "last_error.h"

namespace {

constexpr DWORD kGenericExecute = 0x20000000UL;
constexpr DWORD kGenericAll = 0x10000000UL;
constexpr DWORD kFileReadData = 0x0001, kFileWriteData = 0x0002, kFileAppendData = 0x0004, kDelete = 0x00010000;

QxAccess AccessFrom(DWORD desired) {
    QxAccess a;
    a.read = (desired & (GENERIC_READ | kGenericExecute | kGenericAll | kFileReadData)) != 0;
    a.write = (desired & (GENERIC_WRITE | kGenericAll | kFileWriteData | kFileAppendData)) != 0;
    a.remove = (desired & (kDelete | kGenericAll)) != 0;
    return a;
}

// A folder opened for its times (the backup-semantics open of a folder); nullptr
// when the path names no folder, so that it is opened as a file instead.
HANDLE OpenFolder(const QxHostPath& mapped) {
    if (!mapped.exists) return nullptr;
    int fd = open(mapped.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return nullptr;
    SetLastError(ERROR_SUCCESS);
    return new QxFileHandle(fd, QxAccess{});
}

}  // namespace

bool QxFileHandle::Close() {
    if (close(fd) != 0 && errno != EINTR) {
        QxSetLastErrorFromErrno(errno);
        return false;
    }
    return true;
}

QxFileHandle* QxFileHandleFrom(HANDLE h) {
    auto* file = dynamic_cast<QxFileHandle*>(QxHandleFrom(h));
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    try {
        bool isDevice = false;
        HANDLE volume = QxOpenVolumeDevice(lpFileName, &isDevice);
        if (isDevice) return volume;
        QxOpenRequest request;
        request.access = AccessFrom(dwDesiredAccess);
        request.shareMode = dwShareMode;
        request.disposition = dwCreationDisposition;
        request.attributes = dwFlagsAndAttributes & kQxDosBitsMask;
        const bool backupSemantics = (dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) != 0;
        bool existed = false;
        DWORD error = 0;
        int fd = -1;
        // An existing file is opened as spelled first; an open that fails there
        // (not there as spelled, or any other cause) is made again on the mapped path.
        QxHostPath spelled;
        if (dwCreationDisposition == OPEN_EXISTING && !backupSemantics && QxSpellPath(lpFileName, spelled))
            fd = QxOpenFile(spelled, request, &existed, &error);
        if (fd < 0) {
            QxHostPath mapped;
            if (!QxMapPath(lpFileName, mapped, &error, (dwFlagsAndAttributes & FILE_FLAG_POSIX_SEMANTICS) != 0)) {
                SetLastError(error);
                return INVALID_HANDLE_VALUE;
            }
            if (backupSemantics && dwCreationDisposition == OPEN_EXISTING)
                if (HANDLE folder = OpenFolder(mapped)) return folder;
            fd = QxOpenFile(mapped, request, &existed, &error);
        }
        if (fd < 0) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        auto* handle = new QxFileHandle(fd, request.access);
        bool reportsExisting = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
        SetLastError(existed && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        return handle;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPVOID lpOverlapped) {
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
    QxFileHandle* file = QxFileHandleFrom(hFile);
    if (!file) return FALSE;
    if (lpOverlapped || (!lpBuffer && nNumberOfBytesToRead)) return QxFail(ERROR_INVALID_PARAMETER);
    if (!file->access.read) return QxFail(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        ssize_t n = read(file->fd, static_cast<char*>(lpBuffer) + done, nNumberOfBytesToRead - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
            return QxFail(QxWin32FromErrno(errno) == ERROR_GEN_FAILURE ? ERROR_READ_FAULT : QxWin32FromErrno(errno));
        }
        if (n == 0) break;
        done += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPVOID lpOverlapped) {
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    QxFileHandle* file = QxFileHandleFrom(hFile);
    if (!file) return FALSE;
    if (lpOverlapped || (!lpBuffer && nNumberOfBytesToWrite)) return QxFail(ERROR_INVALID_PARAMETER);
    if (!file->access.write) return QxFail(ERROR_ACCESS_DENIED);
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        ssize_t n = write(file->fd, static_cast<const char*>(lpBuffer) + done, nNumberOfBytesToWrite - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
            DWORD code = n == 0 ? ERROR_DISK_FULL : QxWin32FromErrno(errno);
            return QxFail(code == ERROR_GEN_FAILURE ? ERROR_WRITE_FAULT : code);
        }
        done += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                      DWORD dwMoveMethod) {
    QxFileHandle* file = QxFileHandleFrom(hFile);
    if (!file) return FALSE;
    int whence = dwMoveMethod == FILE_BEGIN ? SEEK_SET : dwMoveMethod == FILE_CURRENT ? SEEK_CUR
               : dwMoveMethod == FILE_END   ? SEEK_END : -1;
    if (whence < 0) return QxFail(ERROR_INVALID_PARAMETER);
    off_t pos = lseek(file->fd, static_cast<off_t>(liDistanceToMove.QuadPart), whence);
    if (pos < 0) return QxFail(ERROR_INVALID_PARAMETER);  // before the start of the file
    if (lpNewFilePointer) lpNewFilePointer->QuadPart = pos;
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
    QxFileHandle* file = QxFileHandleFrom(hFile);
    if (!file) return FALSE;
    if (!lpFileSize) return QxFail(ERROR_INVALID_PARAMETER);
    struct stat st;
    if (fstat(file->fd, &st) != 0) return QxFail(QxWin32FromErrno(errno));
    lpFileSize->QuadPart = st.st_size;
    return TRUE;
}

BOOL SetEndOfFile(HANDLE hFile) {
    QxFileHandle* file = QxFileHandleFrom(hFile);
    if (!file) return FALSE;
    if (!file->access.write) return QxFail(ERROR_ACCESS_DENIED);
    off_t pos = lseek(file->fd, 0, SEEK_CUR);
    if (pos < 0 || ftruncate(file->fd, pos) != 0) return QxFail(QxWin32FromErrno(errno));
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile) {
    QxFileHandle* file = QxFileHandleFrom(hFile);
    if (!file) return FALSE;
    if (!file->access.write) return QxFail(ERROR_ACCESS_DENIED);
    if (fsync(file->fd) != 0 && errno != EINVAL) return QxFail(QxWin32FromErrno(errno));
    return TRUE;
}

BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime, LPFILETIME lpLastWriteTime) {
    QxFileHandle* file = QxFileHandleFrom(hFile);
    if (!file) return FALSE;
    QxFileInfo info;
    if (!QxQueryFileInfoFd(file->fd, info)) return QxFail(QxWin32FromErrno(errno));
    if (lpCreationTime) *lpCreationTime = info.creation;
    if (lpLastAccessTime) *lpLastAccessTime = info.lastAccess;
    if (lpLastWriteTime) *lpLastWriteTime = info.lastWrite;
    return TRUE;
}

BOOL SetFileTime(HANDLE hFile, const FILETIME*, const FILETIME* lpLastAccessTime, const FILETIME* lpLastWriteTime) {
    QxFileHandle* file = QxFileHandleFrom(hFile);
    if (!file) return FALSE;
    // The host keeps no settable creation time; a null or all-ones time is left alone.
    auto pick = [](const FILETIME* ft) {
        timespec ts;
        ts.tv_sec = 0;
        ts.tv_nsec = UTIME_OMIT;
        if (ft && QxFileTimeTicks(*ft) != ~0ULL && QxFileTimeTicks(*ft) != 0) ts = QxTimespecFrom(*ft);
        return ts;
    };
    timespec times[2] = {pick(lpLastAccessTime), pick(lpLastWriteTime)};
    if (futimens(file->fd, times) != 0) return QxFail(QxWin32FromErrno(errno));
    return TRUE;
}
