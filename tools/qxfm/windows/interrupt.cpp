#include "interrupt.h"

#include <atomic>

#include "windows.h"

namespace qxfm {
namespace {

void (*g_handler)() = nullptr;
std::atomic<bool> g_pressed{false};

// Runs on a thread of its own; FALSE hands a second press to the default
// handler, which ends the process.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (g_pressed.exchange(true)) return FALSE;
    g_handler();
    return TRUE;
}

}  // namespace

void CatchInterrupt(void (*handler)()) {
    g_handler = handler;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace qxfm
