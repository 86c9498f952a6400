// The registered WIMGAPI message callbacks and the delivery of messages to them.
#pragma once

#include "wimgapi.h"

// Sends one message to the callbacks registered for fileHandle and to the
// process-wide ones, on the calling thread. Returns WIM_MSG_ABORT_IMAGE when
// any of them asked to abort, else WIM_MSG_SKIP_ERROR when any asked to skip,
// else WIM_MSG_SUCCESS.
DWORD SendWimMessage(HANDLE fileHandle, DWORD messageId, WPARAM wParam, LPARAM lParam);
// Drops the registrations bound to a handle that is being closed.
void ForgetWimCallbacks(HANDLE fileHandle);
