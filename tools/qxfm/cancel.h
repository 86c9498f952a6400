// Cancellation by Ctrl-C: SIGINT sets a flag that the continue callback reads
// (a second SIGINT ends the program).
// For tests, QXFM_CANCEL_AFTER=N raises SIGINT on the N-th continue-callback call.
#pragma once

namespace qxfm {

void InstallInterruptHandler();
// Counts one continue-callback call; true once the user asked to stop.
bool CancelRequestedAtCallback();
bool CancelRequested();

}  // namespace qxfm
