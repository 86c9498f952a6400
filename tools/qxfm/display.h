// What the user sees while an operation runs, on stderr (results go to
// stdout): one progress line per operation - phase, percent, bytes done of
// the total where it is known, rate and time left - redrawn in place on a
// terminal and written once, when the operation ends, elsewhere. The
// library's own texts and warnings show only with --verbose, nothing with --quiet.
#pragma once

#include <chrono>
#include <string>

#include "output.h"

namespace qxfm {

class Display {
public:
    // Redraws in place when stderr is a terminal and QXFM_PLAIN is not set.
    Display();
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    void Progress(int percent, int phase);
    void CurrentFile(const std::string& path);
    // The bytes the percent of the running operation's current and later
    // phases is of (the library tells it once the files are prepared).
    void SetTotalBytes(unsigned long long bytes);
    // A text of the library's, or one of qxfm's steps: shown with --verbose.
    void Operation(const std::string& text);
    // A warning the library posted: shown with --verbose.
    void Warning(const std::string& text);
    // Ends the operation's progress line: leaves it, in its last state, on a
    // line of its own (the one line written off a terminal). Nothing when the
    // operation posted no progress.
    void Finish();

private:
    std::string Line(bool final) const;
    void Draw(bool force);
    void ClearBar();
    void Print(const std::string& text);

    using Clock = std::chrono::steady_clock;
    bool m_bar = false;
    bool m_drawn = false;
    int m_percent = -1;
    int m_phase = -1;
    unsigned long long m_totalBytes = 0;
    size_t m_files = 0;  // files the operation named as it worked
    std::string m_file;
    Clock::time_point m_started{}, m_phaseStarted{}, m_lastDraw{};
};

// The phase of qxfm's own reading of image files, beside the module's phases.
constexpr int kPhaseReadImages = 100;

// A size as the user reads it: "512 bytes", "12.3 MiB".
std::string Bytes(unsigned long long bytes);

// Name of a progress phase (lParam of ProgressIntMessage, or kPhaseReadImages).
const char* PhaseName(int phase);

}  // namespace qxfm
