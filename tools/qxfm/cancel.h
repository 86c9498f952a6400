// Cancellation by Ctrl-C: the first press sets a flag that the continue
// callback reads (a second one ends the program).
// For tests, QXFM_CANCEL_AFTER=N acts as Ctrl-C on the N-th continue-callback call.
#pragma once

namespace qxfm {

void InstallInterruptHandler();
// Counts one continue-callback call; true once the user asked to stop.
bool CancelRequestedAtCallback();
bool CancelRequested();

}  // namespace qxfm
