// The directory entries of a list of paths, looked up on a thread of its own
// a little ahead of the operation's thread, which takes them in the list's
// order: the look-ups of one list wait on the file system while the
// operation works on the entries found before.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "atlstr.h"
#include "backup/disk_names.h"

class EntriesAhead {
public:
    // Starts looking up the paths; they must outlive this object.
    explicit EntriesAhead(const std::vector<CString>& paths);
    // Stops looking up and waits for the thread.
    ~EntriesAhead();
    EntriesAhead(const EntriesAhead&) = delete;
    EntriesAhead& operator=(const EntriesAhead&) = delete;

    // The entry of the next path of the list, as FindNamedEntry gives it;
    // false when that path names no entry.
    bool Next(DiskEntry* entry);

private:
    struct Slot {
        bool found = false;
        DiskEntry entry;
    };
    void Run();

    const std::vector<CString>& m_paths;
    std::vector<Slot> m_ring;  // path i is in slot i % size
    std::mutex m_lock;
    std::condition_variable m_changed;
    size_t m_done = 0;   // paths looked up (guarded by m_lock)
    size_t m_taken = 0;  // paths taken (guarded by m_lock)
    bool m_stop = false; // guarded by m_lock
    bool m_lookerWaits = false;  // the thread sleeps on a full ring (guarded by m_lock)
    bool m_takerWaits = false;   // Next sleeps on an empty one (guarded by m_lock)
    std::thread m_thread;
};
