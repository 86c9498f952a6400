#include "utf8_codec.h"

namespace {

constexpr char16_t kByteEscape = 0xDC00;  // U+DC80..U+DCFF stand for the bytes 0x80..0xFF

bool IsByteEscape(char16_t c) { return c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF; }

}  // namespace

size_t QxDecodeUtf8(const unsigned char* s, size_t n, char32_t& cp) {
    unsigned char c = s[0];
    size_t len;
    char32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2, min = 0x80, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, min = 0x800, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, min = 0x10000, cp = c & 0x07;
    } else {
        cp = 0xFFFD;
        return 1;
    }
    for (size_t i = 1; i < len; ++i) {
        if (i >= n) return 0;
        if ((s[i] & 0xC0) != 0x80) {
            cp = 0xFFFD;
            return 1;
        }
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = 0xFFFD;
        return 1;
    }
    return len;
}

void QxAppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void QxAppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

std::string QxUtf16ToUtf8(const char16_t* s, size_t n, bool* replaced, QxBadBytes bad) {
    std::string out;
    out.reserve(n);
    if (replaced) *replaced = false;
    for (size_t i = 0; i < n; ++i) {
        char32_t cp = s[i];
        if (cp < 0x80) {  // the common case, taken without the checks below
            out += static_cast<char>(cp);
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (bad == QxBadBytes::Keep && IsByteEscape(s[i])) {
            out += static_cast<char>(s[i] - kByteEscape);
            continue;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
            if (replaced) *replaced = true;
        }
        QxAppendUtf8(out, cp);
    }
    return out;
}

std::u16string QxUtf8ToUtf16(const char* s, size_t n, bool* invalid, QxBadBytes bad) {
    std::u16string out;
    out.reserve(n);
    if (invalid) *invalid = false;
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {  // the common case, taken without decoding
            out += static_cast<char16_t>(p[i++]);
            continue;
        }
        char32_t cp;
        size_t used = QxDecodeUtf8(p + i, n - i, cp);
        const bool replacement = used == 3 && p[i] == 0xEF && p[i + 1] == 0xBF && p[i + 2] == 0xBD;
        if (used == 0 || (cp == 0xFFFD && !replacement)) {  // invalid, or cut short at the end
            out += bad == QxBadBytes::Keep ? static_cast<char16_t>(kByteEscape + p[i]) : u'\xFFFD';
            if (invalid) *invalid = true;
            ++i;
            continue;
        }
        QxAppendUtf16(out, cp);
        i += used;
    }
    return out;
}
