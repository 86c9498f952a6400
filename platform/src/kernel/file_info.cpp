#include "file_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "file_time.h"

namespace {

const char kDosAttribName[] = "user.DOSATTRIB";

// getxattrat(2) reads an attribute relative to a folder descriptor without
// building a path; older kernels lack it and go through /proc/self/fd.
constexpr long kSysGetxattrat = 464;
struct XattrArgs {
    uint64_t value;
    uint32_t size;
    uint32_t flags;
};
std::atomic<bool> g_noGetxattrat{false};

DWORD ParseDosBits(const char* text, ssize_t length) {
    if (length < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return 0;  // not our text form
    char buf[32];
    size_t n = static_cast<size_t>(length) < sizeof buf - 1 ? static_cast<size_t>(length) : sizeof buf - 1;
    for (size_t i = 0; i < n; ++i) buf[i] = text[i];
    buf[n] = 0;
    return static_cast<DWORD>(std::strtoul(buf + 2, nullptr, 16)) & kQxDosBitsMask;
}

ssize_t GetXattrAt(int dirfd, const char* name, char* value, size_t size) {
    if (!g_noGetxattrat.load(std::memory_order_relaxed)) {
        XattrArgs args{reinterpret_cast<uintptr_t>(value), static_cast<uint32_t>(size), 0};
        long r = syscall(kSysGetxattrat, dirfd, name, AT_SYMLINK_NOFOLLOW, kDosAttribName, &args, sizeof args);
        if (r >= 0 || errno != ENOSYS) return r;
        g_noGetxattrat.store(true, std::memory_order_relaxed);
    }
    if (dirfd == AT_FDCWD || name[0] == '/') return lgetxattr(name, kDosAttribName, value, size);
    std::string path = "/proc/self/fd/" + std::to_string(dirfd) + "/" + name;
    return lgetxattr(path.c_str(), kDosAttribName, value, size);
}

bool IgnorableXattrError(int err) { return err == ENOTSUP || err == EPERM || err == ENODATA; }

mode_t ProcessUmask() {
    static const mode_t mask = [] {
        std::ifstream in("/proc/self/status");
        std::string key;
        while (in >> key) {
            if (key == "Umask:") {
                std::string value;
                in >> value;
                return static_cast<mode_t>(std::strtoul(value.c_str(), nullptr, 8));
            }
        }
        return static_cast<mode_t>(022);
    }();
    return mask;
}

void Fill(const struct statx& st, DWORD dosBits, bool isDriveRoot, QxFileInfo& info) {
    info.mode = st.stx_mode;
    info.size = S_ISREG(st.stx_mode) ? st.stx_size : 0;
    info.lastAccess = QxFileTimeFrom(st.stx_atime.tv_sec, st.stx_atime.tv_nsec);
    info.lastWrite = QxFileTimeFrom(st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec);
    info.creation = (st.stx_mask & STATX_BTIME) ? QxFileTimeFrom(st.stx_btime.tv_sec, st.stx_btime.tv_nsec)
                                                : info.lastWrite;
    info.reparseTag = 0;
    if (S_ISLNK(st.stx_mode)) {
        info.attributes = FILE_ATTRIBUTE_REPARSE_POINT;
        info.reparseTag = kQxReparseTagSymlink;
        return;
    }
    if (S_ISDIR(st.stx_mode)) {
        info.attributes = FILE_ATTRIBUTE_DIRECTORY | dosBits;
        bool mountRoot = (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (st.stx_attributes & STATX_ATTR_MOUNT_ROOT);
        if (mountRoot && !isDriveRoot) {
            info.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
            info.reparseTag = kQxReparseTagMountPoint;
        }
        return;
    }
    DWORD bits = dosBits & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (QxModeIsReadOnly(st.stx_mode)) bits |= FILE_ATTRIBUTE_READONLY;
    info.attributes = bits ? bits : FILE_ATTRIBUTE_NORMAL;
}

constexpr unsigned kStatxMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;

// A regular file whose DOS bits are stored carries the sticky bit, which
// means nothing for files on Linux: listings read the attribute only then.
bool CarriesDosBits(mode_t mode) { return (S_ISREG(mode) && (mode & S_ISVTX)) || S_ISDIR(mode); }

mode_t MarkedMode(mode_t mode, DWORD bits) {
    return bits ? mode | S_ISVTX : mode & ~static_cast<mode_t>(S_ISVTX);
}

size_t FormatDosBits(DWORD bits, char (&text)[16]) {
    return static_cast<size_t>(std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(bits)));
}

DWORD ReadDosBitsAt(int dirfd, const char* name) {
    char value[64];
    ssize_t n = GetXattrAt(dirfd, name, value, sizeof value);
    return n > 0 ? ParseDosBits(value, n) : 0;
}

DWORD ReadDosBitsFd(int fd) {
    char value[64];
    ssize_t n = fgetxattr(fd, kDosAttribName, value, sizeof value);
    return n > 0 ? ParseDosBits(value, n) : 0;
}

}  // namespace

bool QxQueryFileInfo(int dirfd, const char* name, QxFileInfo& info, bool isDriveRoot) {
    struct statx st;
    if (statx(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &st) != 0) return false;
    DWORD bits = CarriesDosBits(st.stx_mode) ? ReadDosBitsAt(dirfd, name) : 0;
    Fill(st, bits, isDriveRoot, info);
    return true;
}

bool QxQueryFileInfoFd(int fd, QxFileInfo& info, struct statx* raw) {
    struct statx st;
    if (statx(fd, "", AT_EMPTY_PATH, kStatxMask, &st) != 0) return false;
    DWORD bits = CarriesDosBits(st.stx_mode) ? ReadDosBitsFd(fd) : 0;
    Fill(st, bits, true, info);
    if (raw) *raw = st;
    return true;
}

bool QxWriteDosBits(const std::string& hostPath, DWORD bits) {
    bits &= kQxDosBitsMask;
    struct stat st;
    if (lstat(hostPath.c_str(), &st) != 0) return false;
    if (S_ISREG(st.st_mode) && MarkedMode(st.st_mode, bits) != st.st_mode &&
        chmod(hostPath.c_str(), MarkedMode(st.st_mode, bits) & 07777) != 0)
        return false;
    if (ReadDosBitsAt(AT_FDCWD, hostPath.c_str()) == bits) return true;
    char text[16];
    int r = bits ? lsetxattr(hostPath.c_str(), kDosAttribName, text, FormatDosBits(bits, text), 0)
                 : lremovexattr(hostPath.c_str(), kDosAttribName);
    return r == 0 || IgnorableXattrError(errno);
}

bool QxWriteDosBitsFd(int fd, DWORD bits) {
    bits &= kQxDosBitsMask;
    struct stat st;
    if (fstat(fd, &st) != 0) return false;
    if (S_ISREG(st.st_mode) && MarkedMode(st.st_mode, bits) != st.st_mode &&
        fchmod(fd, MarkedMode(st.st_mode, bits) & 07777) != 0)
        return false;
    if (ReadDosBitsFd(fd) == bits) return true;
    char text[16];
    int r = bits ? fsetxattr(fd, kDosAttribName, text, FormatDosBits(bits, text), 0)
                 : fremovexattr(fd, kDosAttribName);
    return r == 0 || IgnorableXattrError(errno);
}

mode_t QxModeWithReadOnly(mode_t mode, bool readOnly) {
    if (readOnly) return mode & ~static_cast<mode_t>(0222);
    if (!QxModeIsReadOnly(mode)) return mode;
    mode_t write = S_IWUSR | (((mode & (S_IRGRP | S_IROTH)) >> 1) & ~ProcessUmask());
    return mode | write;
}
