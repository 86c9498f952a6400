#include "image/held_files.h"

#include "services/scoped_handle.h"

bool HeldAgainstReaders(const CString& path) {
    const ScopedFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file && GetLastError() == ERROR_SHARING_VIOLATION;
}

HeldFiles::HeldFiles(std::vector<Check> checks, size_t fileCount)
    : m_checks(std::move(checks)), m_fileCount(fileCount), m_answers(new std::atomic<uint8_t>[fileCount]) {
    for (size_t i = 0; i < fileCount; ++i) m_answers[i].store(kUnknown, std::memory_order_relaxed);
    m_thread = std::thread([this] { Run(); });
}

HeldFiles::~HeldFiles() {
    m_stop = true;
    m_thread.join();
}

void HeldFiles::Run() {
    try {
        for (const Check& check : m_checks) {
            if (m_stop) return;
            if (check.file >= m_fileCount) continue;
            const bool held = HeldAgainstReaders(CString(*check.path));
            m_answers[check.file].store(held ? kHeld : kFree, std::memory_order_release);
        }
    } catch (...) {
        // What is left unchecked is checked by the capture itself.
    }
}

bool HeldFiles::IsHeld(uint32_t file, const CString& path) const {
    const uint8_t answer = file < m_fileCount ? m_answers[file].load(std::memory_order_acquire) : uint8_t(kUnknown);
    return answer == kUnknown ? HeldAgainstReaders(path) : answer == kHeld;
}
