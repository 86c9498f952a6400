// FILETIME (100 ns since 1601-01-01 UTC) and host time conversions.
#pragma once

#include <ctime>

#include "windows.h"

constexpr LONGLONG kQxEpochDifferenceSeconds = 11644473600LL;  // 1601-01-01 to 1970-01-01

inline FILETIME QxFileTimeFrom(LONGLONG seconds, long nanoseconds) {
    ULONGLONG ticks = static_cast<ULONGLONG>(seconds + kQxEpochDifferenceSeconds) * 10000000ULL +
                      static_cast<ULONGLONG>(nanoseconds / 100);
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

inline ULONGLONG QxFileTimeTicks(const FILETIME& ft) {
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

inline timespec QxTimespecFrom(const FILETIME& ft) {
    ULONGLONG ticks = QxFileTimeTicks(ft);
    timespec ts;
    ts.tv_sec = static_cast<time_t>(static_cast<LONGLONG>(ticks / 10000000ULL) - kQxEpochDifferenceSeconds);
    ts.tv_nsec = static_cast<long>((ticks % 10000000ULL) * 100);
    return ts;
}
