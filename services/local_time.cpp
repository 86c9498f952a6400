#include "services/local_time.h"

#include <ctime>

#include "wcrt.h"

CString LocalTimeText(const WCHAR* format) {
    WCHAR text[64] = {0};
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) wcsftime(text, 64, format, local);
    return text;
}
