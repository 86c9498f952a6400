// The host side of one qxfm run: the module, a message-only window whose posted
// notifications are drained into the display, and the continue callback.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "display.h"
#include "module.h"

namespace qxfm {

class Host {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Loads the module and creates the window; false with a reason on failure.
    bool Open(std::string* error);
    Module& module() { return m_module; }
    HWND* window() { return &m_window; }
    Display& display() { return m_display; }
    // The continue callback handed to the module: drains the window and
    // answers 0 once Ctrl-C was pressed.
    static int CALLBACK Continue(int* operation);
    // Decodes, shows and frees every queued notification.
    void Drain();
    // The text of the last error notification since the last call ("" if none),
    // and its code into *code (0 if none).
    std::string TakeLastError(long long* code = nullptr);
    // An error code shown and remembered no more (a notice that does not apply to this run).
    void Ignore(long long errorCode) { m_ignored = errorCode; }
    // Files reported by a progress-string notification (copied, taken) so far.
    size_t FilesReported() const { return m_filesReported; }
    // The files that notifications named (error codes, a backup's notes of
    // files excluded or of no category, a scan's drives), with their codes, in
    // order; for -235 the system error code posted just before it.
    struct NamedFile {
        long long code;
        std::string path;
        long long systemError = 0;
    };
    const std::vector<NamedFile>& NamedFiles() const { return m_namedFiles; }
    // The listed files the last backup stored and their bytes, as it reported them.
    struct Stored {
        unsigned long long files = 0, bytes = 0;
    };
    const Stored& StoredByBackup() const { return m_stored; }
    // The dated folder the last restore made ("" until it says).
    const std::string& RestoreFolder() const { return m_restoreFolder; }
    // How many error notifications with this code were posted so far, shown or not.
    size_t ErrorsPosted(long long code) const;

private:
    Module m_module;
    Display m_display;
    HWND m_window = nullptr;
    UINT m_progressInt = 0, m_progressStr = 0, m_operationStr = 0, m_errorStr = 0;
    std::string m_lastError;
    long long m_lastErrorCode = 0;
    long long m_ignored = 0;
    long long m_lastSystemError = 0;
    size_t m_filesReported = 0;
    std::vector<NamedFile> m_namedFiles;
    Stored m_stored;
    std::string m_restoreFolder;
    std::map<long long, size_t> m_errorsPosted;
};

}  // namespace qxfm
