#include "display.h"

#include <cstdio>
#include <cstdlib>

#include "qxfilemgr.h"
#include "terminal.h"

namespace qxfm {
namespace {

// The last `width` characters of a UTF-8 text behind "...", cut on a character boundary.
std::string Tail(const std::string& text, size_t width) {
    size_t chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
    if (chars <= width || width <= 3) return chars <= width ? text : std::string();
    const size_t skip = chars - (width - 3);
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (seen++ == skip) return "..." + text.substr(i);
    }
    return std::string();
}

}  // namespace

const char* PhaseName(int phase) {
    switch (phase) {
        case PHASE_SCAN: return "scan";
        case PHASE_BACKUP_PREPARE: return "prepare";
        case PHASE_CAPTURE: return "capture";
        case PHASE_SPLIT: return "split";
        case PHASE_APPLY: return "apply";
        case PHASE_MERGE: return "merge";
        case kPhaseReadImages: return "read";
    }
    return "work";
}

Display::Display() {
    const char* plain = std::getenv("QXFM_PLAIN");
    m_bar = !(plain && *plain && *plain != '0') && StderrIsTerminal();
}

Display::~Display() { Finish(); }

void Display::Progress(int percent, int phase) {
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    const auto now = Clock::now();
    if (m_phase < 0) m_started = now;
    // A phase only announced as done (a split that was not asked for) is no step of this operation.
    if (phase != m_phase && m_phase >= 0 && percent == 100) return;
    const bool changed = percent != m_percent || phase != m_phase;
    if (phase != m_phase) m_phaseStarted = now;
    m_percent = percent;
    m_phase = phase;
    if (m_bar && TheOutput().verbosity != Verbosity::Quiet) Draw(changed);
}

void Display::CurrentFile(const std::string& path) {
    m_file = path;
    ++m_files;
    if (m_bar && m_phase >= 0 && TheOutput().verbosity != Verbosity::Quiet) Draw(false);
}

void Display::SetTotalBytes(unsigned long long bytes) { m_totalBytes = bytes; }

void Display::Operation(const std::string& text) {
    if (TheOutput().verbosity == Verbosity::Verbose) Print(text);
}

void Display::Warning(const std::string& text) {
    if (TheOutput().verbosity == Verbosity::Verbose) Print("warning: " + text);
}

void Display::Print(const std::string& text) {
    ClearBar();
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    if (m_bar && m_phase >= 0) Draw(true);
}

void Display::Finish() {
    ClearBar();
    if (m_phase >= 0 && TheOutput().verbosity != Verbosity::Quiet) {
        std::fprintf(stderr, "%s\n", Line(true).c_str());
        std::fflush(stderr);
    }
    m_percent = m_phase = -1;
    m_totalBytes = 0;
    m_files = 0;
    m_file.clear();
}

// "capture 53%  412.0 of 777.5 MiB  38.2 MiB/s  ETA 0:09", or, once the
// operation ended, its state then and the time it took.
std::string Display::Line(bool final) const {
    const auto now = Clock::now();
    const double phaseSeconds = std::chrono::duration<double>(now - m_phaseStarted).count();
    char text[160];
    std::string line = std::string(PhaseName(m_phase)) + " " + std::to_string(m_percent) + "%";
    if (m_totalBytes > 0 && m_phase <= PHASE_CAPTURE) {
        const unsigned long long done = m_totalBytes * static_cast<unsigned>(m_percent) / 100;
        line += "  " + Bytes(done) + " of " + Bytes(m_totalBytes);
        if (phaseSeconds > 0.05) line += "  " + Bytes(static_cast<unsigned long long>(done / phaseSeconds)) + "/s";
    } else if (m_files > 0) {
        // A scan names the files it found; an apply or a read every file and folder.
        line += "  " + std::to_string(m_files) + (m_phase == PHASE_SCAN ? " files" : " items");
    }
    if (final) {
        std::snprintf(text, sizeof text, "  in %.1f s", std::chrono::duration<double>(now - m_started).count());
        line += text;
    } else if (m_percent > 0 && m_percent < 100) {
        const long left = static_cast<long>(phaseSeconds * (100 - m_percent) / m_percent + 0.5);
        std::snprintf(text, sizeof text, "  ETA %ld:%02ld", left / 60, left % 60);
        line += text;
    }
    return line;
}

// Redraws at most every 50 ms unless the percent or phase changed.
void Display::Draw(bool force) {
    const auto now = Clock::now();
    if (!force && now - m_lastDraw < std::chrono::milliseconds(50)) return;
    m_lastDraw = now;
    const int cells = 20;
    const int filled = m_percent < 0 ? 0 : m_percent * cells / 100;
    std::string line = "[" + std::string(filled, '#') + std::string(cells - filled, '.') + "] " + Line(false);
    const size_t width = TerminalWidth() - 1;
    if (!m_file.empty() && line.size() + 2 < width) line += "  " + Tail(m_file, width - line.size() - 2);
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    m_drawn = true;
}

void Display::ClearBar() {
    if (!m_drawn) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    m_drawn = false;
}

std::string Bytes(unsigned long long bytes) {
    const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) value /= 1024, ++unit;
    char text[32];
    if (unit == 0) std::snprintf(text, sizeof text, "%llu bytes", bytes);
    else std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

}  // namespace qxfm
