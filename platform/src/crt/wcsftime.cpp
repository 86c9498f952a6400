// wcsftime for 16-bit WCHAR, through the host's strftime.
#include <cstring>
#include <string>
#include <vector>

#include "utf8_codec.h"
#include "wcrt.h"

size_t wcsftime(WCHAR* buffer, size_t size, const WCHAR* format, const struct tm* time) {
    if (!buffer || !size || !format || !time) return 0;
    buffer[0] = 0;
    try {
        size_t n = 0;
        while (format[n]) ++n;
        // A leading space tells an empty result apart from a buffer that is too small.
        std::string narrow = " " + QxUtf16ToUtf8(format, n);
        std::vector<char> out(narrow.size() * 4 + 64);
        for (;;) {
            size_t written = strftime(out.data(), out.size(), narrow.c_str(), time);
            if (written) {
                std::u16string wide = QxUtf8ToUtf16(out.data() + 1, written - 1);
                if (wide.size() >= size) return 0;
                std::memcpy(buffer, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
                return wide.size();
            }
            if (out.size() > (size + 1) * 4 + 4096) return 0;  // more than the caller can take
            out.resize(out.size() * 2);
        }
    } catch (...) {
        buffer[0] = 0;
        return 0;
    }
}
