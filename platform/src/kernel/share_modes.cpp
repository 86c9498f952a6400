#include "share_modes.h"

#include <fcntl.h>

#include <cerrno>

namespace {

constexpr off_t kBase = off_t(1) << 62;
// Ordered so that the commonest opens lock one run of slots and check one
// other run: a reader that shares only reading (as a backup checks a file)
// and one that also shares writing (as a copy reads its source).
enum Slot : int { kHasRead, kDeniesDelete, kDeniesWrite, kDeniesRead, kHasDelete, kHasWrite, kSlotCount };

unsigned Bit(Slot slot) { return 1u << slot; }

struct flock Range(short type, int first, int count) {
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = kBase + first;
    fl.l_len = count;
    return fl;
}

// Calls step(first, count) for each run of adjacent slots in the set, one
// fcntl per run instead of one per slot; stops at the first false.
template <class Step>
bool ForEachRun(unsigned slots, Step step) {
    for (int first = 0; first < kSlotCount;) {
        int end = first;
        while (end < kSlotCount && (slots & (1u << end))) ++end;
        if (end > first && !step(first, end - first)) return false;
        first = end + 1;
    }
    return true;
}

// Takes a shared lock on each slot of the set.
bool Lock(int fd, unsigned slots) {
    return ForEachRun(slots, [fd](int first, int count) {
        struct flock fl = Range(F_RDLCK, first, count);
        return fcntl(fd, F_OFD_SETLK, &fl) == 0;
    });
}

void UnlockAll(int fd) {
    struct flock fl = Range(F_UNLCK, 0, kSlotCount);
    fcntl(fd, F_OFD_SETLK, &fl);
}

// True when an open other than this one holds a lock on a slot of the set.
bool Taken(int fd, unsigned slots) {
    return !ForEachRun(slots, [fd](int first, int count) {
        struct flock fl = Range(F_WRLCK, first, count);
        return fcntl(fd, F_OFD_GETLK, &fl) != 0 || fl.l_type == F_UNLCK;
    });
}

}  // namespace

bool QxAcquireShareMode(int fd, const QxAccess& access, DWORD shareMode, bool created) {
    if (!access.read && !access.write && !access.remove) return true;  // no data access: nothing to share
    // The slots this open locks, and those where another open's lock conflicts with it.
    unsigned held = 0, conflicting = 0;
    auto add = [&](bool has, bool denies, Slot hasSlot, Slot deniesSlot) {
        if (has) held |= Bit(hasSlot), conflicting |= Bit(deniesSlot);
        if (denies) held |= Bit(deniesSlot), conflicting |= Bit(hasSlot);
    };
    add(access.read, !(shareMode & FILE_SHARE_READ), kHasRead, kDeniesRead);
    add(access.write, !(shareMode & FILE_SHARE_WRITE), kHasWrite, kDeniesWrite);
    add(access.remove, !(shareMode & FILE_SHARE_DELETE), kHasDelete, kDeniesDelete);
    // Lock first, check after: of two racing opens that conflict, at least the
    // later checker sees the other's lock, so both can never succeed. The
    // check is left out for a file this open has just made: no other open can
    // hold it but one in the instant between making and locking it.
    if (!Lock(fd, held)) return errno == EBADF;  // not readable: not tracked
    if (!created && Taken(fd, conflicting)) {
        UnlockAll(fd);
        errno = EBUSY;
        return false;
    }
    return true;
}

bool QxShareAllowsDelete(int fd) { return !Taken(fd, Bit(kDeniesDelete)); }
