// The console qxfm writes to: results on stdout, the progress bar on stderr.
#pragma once

#include <cstddef>

namespace qxfm {

// Sets stdout up so that results and progress keep their order in a pipe,
// and a console shows UTF-8 text.
void PrepareOutput();
// True when stderr is a terminal that takes the bar's control sequences
// ("\r", "ESC[K").
bool StderrIsTerminal();
// The terminal's width in columns (80 when it cannot be told or is narrower than 40).
size_t TerminalWidth();

}  // namespace qxfm
