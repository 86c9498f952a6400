// LocalFree for the buffers the platform allocates on a caller's behalf (with malloc).
#include <cstdlib>

#include "windows.h"

HLOCAL LocalFree(HLOCAL hMem) {
    std::free(hMem);
    return nullptr;
}
