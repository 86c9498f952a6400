#include "terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace qxfm {

void PrepareOutput() { std::setvbuf(stdout, nullptr, _IOLBF, 0); }

bool StderrIsTerminal() { return isatty(STDERR_FILENO); }

size_t TerminalWidth() {
    winsize ws{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 40) return ws.ws_col;
    return 80;
}

}  // namespace qxfm
