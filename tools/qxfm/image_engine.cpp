#include "image_engine.h"

#include <string>

#include "outcome.h"
#include "wimgapi.h"

namespace qxfm {

bool ImageEngineReady(const char* command, int* status) {
    // Opening no file fails for that reason where the engine is there.
    HANDLE file = WIMCreateFile(u"", WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    if (file) WIMCloseHandle(file);
    if (file || GetLastError() != ERROR_MOD_NOT_FOUND) return true;
    *status = Fail(kExitFailed, std::string(command) +
                                    " failed: the image engine wimgapi.dll cannot be loaded (Windows ships it; "
                                    "without it no image can be written or read)");
    return false;
}

}  // namespace qxfm
