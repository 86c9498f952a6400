// The second process of the operation lock tests on Windows: takes the lock,
// writes one byte to stdout (1: holding, 0: refused), and lets go when its
// stdin ends.
#include "services/operation_lock.h"
#include "windows.h"

int main() {
    OperationLock lock;
    const char held = lock.Acquire() ? '1' : '0';
    DWORD n = 0;
    if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), &held, 1, &n, nullptr) || n != 1) return 1;
    char ignored;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &ignored, 1, &n, nullptr) && n > 0) {
    }
    lock.Release();
    return 0;
}
