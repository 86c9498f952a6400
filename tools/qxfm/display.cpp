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
    const bool changed = percent != m_percent || phase != m_phase;
    if (!m_bar && (phase != m_phase || percent / 10 != m_printedStep)) {
        std::fprintf(stderr, "%s %d%%\n", PhaseName(phase), percent);
        std::fflush(stderr);
        m_printedStep = percent / 10;
    }
    m_percent = percent;
    m_phase = phase;
    if (m_bar) Draw(changed);
}

void Display::CurrentFile(const std::string& path) {
    m_file = path;
    if (m_bar) Draw(false);
}

void Display::Operation(const std::string& text) {
    ClearBar();
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    if (m_bar && m_phase >= 0) Draw(true);
}

void Display::Warning(const std::string& text) {
    ClearBar();
    std::fprintf(stderr, "warning: %s\n", text.c_str());
    std::fflush(stderr);
    if (m_bar && m_phase >= 0) Draw(true);
}

void Display::Finish() {
    ClearBar();
    m_percent = m_phase = m_printedStep = -1;
    m_file.clear();
}

// Redraws at most every 50 ms unless the percent or phase changed.
void Display::Draw(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastDraw < std::chrono::milliseconds(50)) return;
    m_lastDraw = now;
    const int cells = 30;
    const int filled = m_percent < 0 ? 0 : m_percent * cells / 100;
    std::string line = "[" + std::string(filled, '#') + std::string(cells - filled, '.') + "] ";
    char head[32];
    std::snprintf(head, sizeof head, "%3d%% %-8s", m_percent < 0 ? 0 : m_percent, PhaseName(m_phase));
    line += head;
    const size_t width = TerminalWidth() - 1;
    if (!m_file.empty() && line.size() + 2 < width) line += " " + Tail(m_file, width - line.size() - 1);
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

std::string Mib(unsigned long long bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
    return text;
}

}  // namespace qxfm
