// CopyFileW: content through the kernel, then mode, DOS attributes and times.
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_info.h"
#include "file_open.h"
#include "last_error.h"

namespace {

// Copies everything from src to dst; false with errno set.
bool CopyContent(int src, int dst) {
    bool tryRange = true, trySendfile = true;
    for (;;) {
        ssize_t n = -1;
        if (tryRange) {
            n = copy_file_range(src, nullptr, dst, nullptr, 1 << 30, 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                          errno == EBADF || errno == EPERM)) {
                tryRange = false;
                continue;
            }
        } else if (trySendfile) {
            n = sendfile(dst, src, nullptr, 1 << 30);
            if (n < 0 && (errno == EINVAL || errno == ENOSYS)) {
                trySendfile = false;
                continue;
            }
        } else {
            char buf[1 << 16];
            n = read(src, buf, sizeof buf);
            for (ssize_t done = 0; n > 0 && done < n;) {
                ssize_t w = write(dst, buf + done, static_cast<size_t>(n - done));
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) {
                    if (w == 0) errno = ENOSPC;
                    return false;
                }
                done += w;
            }
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
    }
}

BOOL Copy(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    QxHostPath source, target;
    DWORD error = 0;
    if (!QxMapPath(from, source, &error) || !QxMapPath(to, target, &error)) return QxFail(error);
    QxOpenRequest read;
    read.access.read = true;
    read.shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
    int src = QxOpenFile(source, read, nullptr, &error);
    if (src < 0) return QxFail(error);
    struct statx st;
    QxFileInfo info;
    if (!QxQueryFileInfoFd(src, info, &st)) {
        int err = errno;
        close(src);
        return QxFail(QxWin32FromErrno(err));
    }
    DWORD dosBits = info.attributes & kQxDosBitsMask;
    QxOpenRequest write;
    write.access.write = true;
    write.disposition = failIfExists ? CREATE_NEW : CREATE_ALWAYS;
    write.refuseHidden = false;
    write.attributes = dosBits;
    bool existed = false;
    int dst = QxOpenFile(target, write, &existed, &error);
    if (dst < 0) {
        close(src);
        return QxFail(error);
    }
    bool ok = CopyContent(src, dst);
    int err = errno;
    if (ok) {
        const timespec times[2] = {{st.stx_atime.tv_sec, st.stx_atime.tv_nsec},
                                   {st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec}};
        ok = fchmod(dst, st.stx_mode & 07777) == 0 && futimens(dst, times) == 0;
        err = errno;
        // A new file got its DOS bits when it was made; one of none has nothing to mark.
        if (existed || dosBits) QxWriteDosBitsFd(dst, dosBits);
    }
    if (close(dst) != 0 && ok) {
        ok = false;
        err = errno;
    }
    close(src);
    if (!ok) {
        if (!existed) unlink(target.path.c_str());  // no half copy left behind
        return QxFail(QxWin32FromErrno(err));
    }
    return TRUE;
}

}  // namespace

BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists) {
    try {
        return Copy(lpExistingFileName, lpNewFileName, bFailIfExists);
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
