#include "terminal.h"

#include <cstdio>

#include "windows.h"

namespace qxfm {

// The C runtime has no line buffering: stdout goes out unbuffered instead.
void PrepareOutput() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    SetConsoleOutputCP(CP_UTF8);
}

// A console that interprets control sequences (Windows 10 and later, once asked to).
bool StderrIsTerminal() {
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode)) return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

size_t TerminalWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 80;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns >= 40 ? static_cast<size_t>(columns) : 80;
}

}  // namespace qxfm
