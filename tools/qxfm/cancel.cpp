#include "cancel.h"

#include <csignal>
#include <cstdlib>

namespace qxfm {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;
long long g_callbacks = 0;
long long g_cancelAfter = -1;

// The first Ctrl-C asks the module to stop; a second one ends the program at once.
extern "C" void OnInterrupt(int signal) {
    if (g_interrupted) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    g_interrupted = 1;
}

}  // namespace

void InstallInterruptHandler() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    if (const char* after = std::getenv("QXFM_CANCEL_AFTER"); after && *after) g_cancelAfter = std::atoll(after);
}

bool CancelRequestedAtCallback() {
    if (g_cancelAfter >= 0 && ++g_callbacks >= g_cancelAfter && !g_interrupted) std::raise(SIGINT);
    return g_interrupted != 0;
}

bool CancelRequested() { return g_interrupted != 0; }

}  // namespace qxfm
