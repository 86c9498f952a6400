// The image engine every image command needs: WIMGAPI, which on Windows is
// wimgapi.dll, loaded when first called.
#pragma once

namespace qxfm {

// True when the engine can be reached; otherwise prints "qxfm: COMMAND failed:"
// naming the missing wimgapi.dll and sets *status.
bool ImageEngineReady(const char* command, int* status);

}  // namespace qxfm
