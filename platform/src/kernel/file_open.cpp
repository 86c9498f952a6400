#include "file_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_info.h"
#include "last_error.h"
#include "name_lookup.h"

namespace {

bool MayCreate(DWORD disposition) {
    return disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
}

bool Truncates(DWORD disposition) { return disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING; }

// open(2) for the access: writers open read-write where they may, so that the
// share-mode locks can be taken; non-blocking so that no FIFO stalls us
// before it is refused.
int OpenFor(const std::string& path, const QxAccess& access, int extra, mode_t mode) {
    int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY | extra;
    if (!access.write) return open(path.c_str(), flags | O_RDONLY, mode);
    int fd = open(path.c_str(), flags | O_RDWR, mode);
    if (fd < 0 && errno == EACCES) fd = open(path.c_str(), flags | O_WRONLY, mode);
    return fd;
}

// Checks an opened existing file against the request; 0 when it may be used.
DWORD CheckExisting(int fd, const QxOpenRequest& request) {
    struct stat st;
    if (fstat(fd, &st) != 0) return QxWin32FromErrno(errno);
    if (!S_ISREG(st.st_mode)) return ERROR_ACCESS_DENIED;  // folders and devices are not files here
    bool writes = request.access.write || Truncates(request.disposition);
    if (writes && QxModeIsReadOnly(st.st_mode)) return ERROR_ACCESS_DENIED;
    QxFileInfo info;
    if (request.disposition == CREATE_ALWAYS && request.refuseHidden && QxQueryFileInfoFd(fd, info)) {
        DWORD held = info.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (held & ~request.attributes) return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

}  // namespace

int QxOpenFile(const QxHostPath& path, const QxOpenRequest& request, bool* existed, DWORD* error) {
    auto fail = [&](DWORD code) {
        *error = code;
        return -1;
    };
    DWORD disposition = request.disposition;
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return fail(ERROR_INVALID_PARAMETER);
    if (disposition == TRUNCATE_EXISTING && !request.access.write) return fail(ERROR_INVALID_PARAMETER);
    if (path.win.trailingSeparator) return fail(ERROR_INVALID_NAME);  // names a folder, not a file
    if (path.parentMissing) return fail(ERROR_PATH_NOT_FOUND);
    if (path.IsDriveRoot()) return fail(ERROR_ACCESS_DENIED);
    int extra = request.append ? O_APPEND : 0;
    mode_t mode = (request.attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd = -1;
    bool created = false;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        if (disposition != CREATE_NEW) {
            fd = OpenFor(path.path, request.access, extra, 0);
            if (fd >= 0) break;
            if (errno == EISDIR) return fail(ERROR_ACCESS_DENIED);
            if (errno != ENOENT) return fail(path.ErrorFromErrno(errno));
            if (!MayCreate(disposition)) return fail(path.NotFoundError());
        }
        fd = OpenFor(path.path, request.access, extra | O_CREAT | O_EXCL, mode);
        if (fd >= 0) {
            created = true;
            QxNoteCreated(path.path);
            break;
        }
        if (errno == EEXIST && disposition == CREATE_NEW) return fail(ERROR_FILE_EXISTS);
        if (errno != EEXIST) return fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : path.ErrorFromErrno(errno));
    }
    if (fd < 0) return fail(ERROR_SHARING_VIOLATION);  // kept appearing and vanishing
    if (!created) {
        DWORD refused = CheckExisting(fd, request);
        if (refused) {
            close(fd);
            return fail(refused);
        }
    }
    // The opening O_NONBLOCK stays: the file is a regular one, whose reads
    // and writes Linux never makes non-blocking.
    if (!QxAcquireShareMode(fd, request.access, request.shareMode, created)) {
        close(fd);
        if (created) unlink(path.path.c_str());
        return fail(ERROR_SHARING_VIOLATION);
    }
    if (!created && Truncates(disposition) && ftruncate(fd, 0) != 0) {
        int err = errno;
        close(fd);
        return fail(QxWin32FromErrno(err));
    }
    DWORD bits = request.attributes & kQxDosBitsMask & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if ((created && bits) || (!created && disposition == CREATE_ALWAYS)) QxWriteDosBitsFd(fd, bits);
    if (existed) *existed = !created;
    return fd;
}
