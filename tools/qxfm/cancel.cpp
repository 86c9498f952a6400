#include "cancel.h"

#include <atomic>
#include <cstdlib>

#include "interrupt.h"

namespace qxfm {
namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
long long g_callbacks = 0;
long long g_cancelAfter = -1;

void OnInterrupt() { g_interrupted = true; }

}  // namespace

void InstallInterruptHandler() {
    CatchInterrupt(OnInterrupt);
    if (const char* after = std::getenv("QXFM_CANCEL_AFTER"); after && *after) g_cancelAfter = std::atoll(after);
}

bool CancelRequestedAtCallback() {
    if (g_cancelAfter >= 0 && ++g_callbacks >= g_cancelAfter) g_interrupted = true;
    return g_interrupted;
}

bool CancelRequested() { return g_interrupted; }

}  // namespace qxfm
