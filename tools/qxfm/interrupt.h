// Ctrl-C at the console: the first press calls a handler, a second one ends
// the program at once.
#pragma once

namespace qxfm {

// The handler may run on a signal or on a thread of its own: it may only set
// a lock-free atomic.
void CatchInterrupt(void (*handler)());

}  // namespace qxfm
