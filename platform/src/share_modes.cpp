#include "share_modes.h"

#include <fcntl.h>

#include <cerrno>

namespace {

constexpr off_t kBase = off_t(1) << 62;
enum Slot : off_t { kHasRead, kHasWrite, kHasDelete, kDeniesRead, kDeniesWrite, kDeniesDelete };

// True when an open other than this one holds a lock on the slot.
bool Taken(int fd, off_t slot) {
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kBase + slot;
    fl.l_len = 1;
    if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

// Locks one slot, or (F_UNLCK) releases every slot of this open.
bool Lock(int fd, off_t slot, short type) {
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = kBase + slot;
    fl.l_len = type == F_UNLCK ? kDeniesDelete + 1 : 1;
    return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

}  // namespace

bool QxAcquireShareMode(int fd, const QxAccess& access, DWORD shareMode) {
    if (!access.read && !access.write && !access.remove) return true;  // no data access: nothing to share
    struct Kind {
        bool has, denies;
        off_t hasSlot, deniesSlot;
    };
    const Kind kinds[] = {
        {access.read, !(shareMode & FILE_SHARE_READ), kHasRead, kDeniesRead},
        {access.write, !(shareMode & FILE_SHARE_WRITE), kHasWrite, kDeniesWrite},
        {access.remove, !(shareMode & FILE_SHARE_DELETE), kHasDelete, kDeniesDelete},
    };
    // Lock first, check after: of two racing opens that conflict, at least the
    // later checker sees the other's lock, so both can never succeed.
    for (const Kind& k : kinds) {
        if (k.has && !Lock(fd, k.hasSlot, F_RDLCK)) return errno == EBADF;  // not readable: not tracked
        if (k.denies && !Lock(fd, k.deniesSlot, F_RDLCK)) return errno == EBADF;
    }
    for (const Kind& k : kinds) {
        if ((k.has && Taken(fd, k.deniesSlot)) || (k.denies && Taken(fd, k.hasSlot))) {
            Lock(fd, 0, F_UNLCK);
            errno = EBUSY;
            return false;
        }
    }
    return true;
}

bool QxShareAllowsDelete(int fd) { return !Taken(fd, kDeniesDelete); }
