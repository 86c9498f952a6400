#include "services/local_time.h"

#include <ctime>

#include "wcrt.h"

CString LocalTimeText(const WCHAR* format) {
    WCHAR text[64] = {0};
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local || wcsftime(text, 64, format, local) == 0) text[0] = 0;  // a text that did not fit is no time
    return text;
}
