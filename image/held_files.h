// Whether a file a backup takes is held by a writer that keeps readers out.
// A thread of its own opens the captures' files ahead of them, in the order
// the captures take them, while the operation's thread walks the drives; the
// capture then asks for a file's answer, and checks on the spot a file the
// thread has not reached yet. Either way an answer tells how the file was
// held at the time of its check, before the image file is written.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "atlstr.h"

// True when an open for reading that shares only reading fails with a
// sharing violation: another open writes the file or denies reading it.
bool HeldAgainstReaders(const CString& path);

class HeldFiles {
public:
    struct Check {
        uint32_t file;                // the listed file, as the capture marks it
        const std::u16string* path;  // what the capture takes for it
    };
    // Starts checking; fileCount bounds the listed files' numbers.
    HeldFiles(std::vector<Check> checks, size_t fileCount);
    // Stops checking and waits for the thread.
    ~HeldFiles();
    HeldFiles(const HeldFiles&) = delete;
    HeldFiles& operator=(const HeldFiles&) = delete;

    // The answer for the listed file taken as path.
    bool IsHeld(uint32_t file, const CString& path) const;

private:
    enum Answer : uint8_t { kUnknown, kFree, kHeld };
    void Run();

    std::vector<Check> m_checks;
    size_t m_fileCount;
    std::unique_ptr<std::atomic<uint8_t>[]> m_answers;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
