// GlobalMemoryStatusEx from /proc/meminfo and the process's address space.
#include <fstream>
#include <string>

#include "last_error.h"

namespace {

constexpr ULONGLONG kUserAddressSpace = 0x7FFFFFFE0000ULL;  // what a 64-bit Windows process gets

// Reads "Key: value kB" lines; values in bytes, 0 when missing.
ULONGLONG ReadKb(const char* file, const std::string& key) {
    std::ifstream in(file);
    std::string name;
    while (in >> name) {
        if (name == key) {
            ULONGLONG kb = 0;
            in >> kb;
            return kb * 1024;
        }
        in.ignore(1 << 20, '\n');
    }
    return 0;
}

}  // namespace

BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX lpBuffer) {
    static_assert(sizeof(MEMORYSTATUSEX) == 64, "MEMORYSTATUSEX is 64 bytes");
    if (!lpBuffer || lpBuffer->dwLength != sizeof(MEMORYSTATUSEX)) return QxFail(ERROR_INVALID_PARAMETER);
    try {
        ULONGLONG total = ReadKb("/proc/meminfo", "MemTotal:");
        ULONGLONG avail = ReadKb("/proc/meminfo", "MemAvailable:");
        if (!avail) avail = ReadKb("/proc/meminfo", "MemFree:");
        ULONGLONG swapTotal = ReadKb("/proc/meminfo", "SwapTotal:");
        ULONGLONG swapFree = ReadKb("/proc/meminfo", "SwapFree:");
        ULONGLONG used = ReadKb("/proc/self/status", "VmSize:");
        if (avail > total) avail = total;
        lpBuffer->dwMemoryLoad = total ? static_cast<DWORD>((total - avail) * 100 / total) : 0;
        lpBuffer->ullTotalPhys = total;
        lpBuffer->ullAvailPhys = avail;
        lpBuffer->ullTotalPageFile = total + swapTotal;
        lpBuffer->ullAvailPageFile = avail + swapFree;
        lpBuffer->ullTotalVirtual = kUserAddressSpace;
        lpBuffer->ullAvailVirtual = used < kUserAddressSpace ? kUserAddressSpace - used : 0;
        lpBuffer->ullAvailExtendedVirtual = 0;
        return TRUE;
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
