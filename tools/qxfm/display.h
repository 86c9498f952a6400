// What the user sees while an operation runs, on stderr (results go to
// stdout): a progress bar on a terminal, plain lines otherwise.
#pragma once

#include <chrono>
#include <string>

namespace qxfm {

class Display {
public:
    // A bar when stderr is a terminal and QXFM_PLAIN is not set.
    Display();
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    void Progress(int percent, int phase);
    void CurrentFile(const std::string& path);
    void Operation(const std::string& text);
    void Warning(const std::string& text);
    // Ends the bar line so that ordinary output follows on a line of its own.
    void Finish();

private:
    void Draw(bool force);
    void ClearBar();

    bool m_bar = false;
    bool m_drawn = false;
    int m_percent = -1;
    int m_phase = -1;
    int m_printedStep = -1;
    std::string m_file;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

// The phase of qxfm's own reading of image files, beside the module's phases.
constexpr int kPhaseReadImages = 100;

// A size as the user reads it: "12.3 MiB".
std::string Mib(unsigned long long bytes);

// Name of a progress phase (lParam of ProgressIntMessage, or kPhaseReadImages).
const char* PhaseName(int phase);

}  // namespace qxfm
