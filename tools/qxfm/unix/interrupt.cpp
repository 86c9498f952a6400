#include "interrupt.h"

#include <csignal>

namespace qxfm {
namespace {

void (*g_handler)() = nullptr;
volatile std::sig_atomic_t g_pressed = 0;

extern "C" void OnSigint(int signal) {
    if (g_pressed) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    g_pressed = 1;
    g_handler();
}

}  // namespace

void CatchInterrupt(void (*handler)()) {
    g_handler = handler;
    struct sigaction sa {};
    sa.sa_handler = OnSigint;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
}

}  // namespace qxfm
