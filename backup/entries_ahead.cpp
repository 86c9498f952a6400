#include "backup/entries_ahead.h"

#include <algorithm>

namespace {

const size_t kAhead = 1024;  // entries held at most: memory stays flat however long the list
const size_t kBatch = 64;    // entries ready before a waiting taker is woken

}  // namespace

EntriesAhead::EntriesAhead(const std::vector<CString>& paths)
    : m_paths(paths), m_ring(std::min(kAhead, paths.size())) {
    if (m_ring.empty()) m_stop = true;
    else m_thread = std::thread([this] { Run(); });
}

EntriesAhead::~EntriesAhead() {
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

// Each side sleeps only when it has to and is woken only when the other has
// done a batch, so that the two threads meet seldom.
void EntriesAhead::Run() {
    try {
        for (size_t i = 0; i < m_paths.size(); ++i) {
            {
                std::unique_lock<std::mutex> lock(m_lock);
                if (i - m_taken == m_ring.size()) {  // full: wait until half is taken
                    m_lookerWaits = true;
                    m_changed.wait(lock, [&] { return m_stop || i - m_taken <= m_ring.size() / 2; });
                    m_lookerWaits = false;
                }
                if (m_stop) return;
            }
            Slot& slot = m_ring[i % m_ring.size()];
            slot.found = LookUpDiskEntry(m_paths[i], &slot.entry);
            bool wake;
            {
                const std::lock_guard<std::mutex> lock(m_lock);
                m_done = i + 1;
                wake = m_takerWaits && (m_done - m_taken >= kBatch || m_done == m_paths.size());
            }
            if (wake) m_changed.notify_all();
        }
    } catch (...) {
        // The paths not looked up here are looked up by Next.
        const std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_changed.notify_all();
}

bool EntriesAhead::Next(DiskEntry* entry) {
    size_t i;
    bool ready;
    {
        std::unique_lock<std::mutex> lock(m_lock);
        i = m_taken;
        if (!m_stop && i >= m_done) {
            m_takerWaits = true;
            m_changed.wait(lock, [&] { return m_stop || i < m_done; });
            m_takerWaits = false;
        }
        ready = i < m_done;
    }
    bool found;
    if (ready) {
        Slot& slot = m_ring[i % m_ring.size()];
        found = slot.found;
        *entry = std::move(slot.entry);
    } else {
        found = i < m_paths.size() && LookUpDiskEntry(m_paths[i], entry);
    }
    bool wake;
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_taken = i + 1;
        wake = m_lookerWaits && m_done - m_taken <= m_ring.size() / 2;
    }
    if (wake) m_changed.notify_all();
    return found;
}
