#include "services/local_time.h"

#include <ctime>

#include "wcrt.h"

// The system's local time, taken once per text (the C library's localtime
// would consult the time zone file each time).
CString LocalTimeText(const WCHAR* format) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::tm local{};
    local.tm_year = now.wYear - 1900;
    local.tm_mon = now.wMonth - 1;
    local.tm_mday = now.wDay;
    local.tm_wday = now.wDayOfWeek;
    local.tm_hour = now.wHour;
    local.tm_min = now.wMinute;
    local.tm_sec = now.wSecond;
    local.tm_isdst = -1;
    WCHAR text[64] = {0};
    if (wcsftime(text, 64, format, &local) == 0) text[0] = 0;  // a text that did not fit is no time
    return text;
}
