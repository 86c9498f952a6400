// fputws and fgetws for 16-bit WCHAR: the FILE carries UTF-8 (see text_stream.h),
// except on a text stream without an encoding, which carries the C locale's
// bytes (one per character up to U+00FF).
#include <cerrno>
#include <cstdio>

#include "text_stream.h"
#include "utf8_codec.h"
#include "wcrt.h"

namespace {

size_t SequenceLength(int lead) {
    if (lead < 0xC2) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return lead <= 0xF4 ? 4 : 1;
}

// The C locale's conversion: the characters before the first one beyond
// U+00FF are written, that one fails with EILSEQ.
int PutLocaleText(const WCHAR* str, FILE* stream) {
    for (; *str; ++str) {
        if (*str > 0xFF) {
            errno = EILSEQ;
            return EOF;
        }
        if (fputc(static_cast<unsigned char>(*str), stream) == EOF) return EOF;
    }
    return 0;
}

WCHAR* GetLocaleText(WCHAR* buffer, int count, FILE* stream) {
    int n = 0;
    while (n < count - 1) {
        const int c = fgetc(stream);
        if (c == EOF) break;
        buffer[n++] = static_cast<WCHAR>(c);
        if (c == '\n') break;
    }
    if (n == 0) return nullptr;
    buffer[n] = 0;
    return buffer;
}

}  // namespace

int fputws(const WCHAR* str, FILE* stream) {
    if (!str || !stream) {
        errno = EINVAL;
        return EOF;
    }
    if (QxIsLocaleTextStream(stream)) return PutLocaleText(str, stream);
    size_t n = 0;
    while (str[n]) ++n;
    try {
        std::string bytes = QxUtf16ToUtf8(str, n);
        return fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() ? 0 : EOF;
    } catch (...) {
        errno = ENOMEM;
        return EOF;
    }
}

WCHAR* fgetws(WCHAR* buffer, int count, FILE* stream) {
    if (!buffer || count <= 0 || !stream) {
        errno = EINVAL;
        return nullptr;
    }
    if (QxIsLocaleTextStream(stream)) return GetLocaleText(buffer, count, stream);
    flockfile(stream);
    int n = 0;
    bool sawEof = false;
    while (n < count - 1) {
        int c = getc_unlocked(stream);
        if (c == EOF) {
            sawEof = true;
            break;
        }
        size_t len = SequenceLength(c);
        if (len == 4 && n + 2 > count - 1) {  // a surrogate pair does not fit: leave it for the next call
            ungetc(c, stream);
            break;
        }
        unsigned char seq[4] = {static_cast<unsigned char>(c)};
        size_t got = 1;
        while (got < len) {
            int d = getc_unlocked(stream);
            if (d == EOF || (d & 0xC0) != 0x80) {
                if (d != EOF) ungetc(d, stream);
                break;
            }
            seq[got++] = static_cast<unsigned char>(d);
        }
        char32_t cp = 0xFFFD;
        if (got == len) QxDecodeUtf8(seq, got, cp);
        std::u16string units;
        QxAppendUtf16(units, cp);
        for (char16_t u : units) buffer[n++] = u;
        if (cp == U'\n') break;
    }
    funlockfile(stream);
    if (n == 0 && sawEof) return nullptr;
    buffer[n] = 0;
    return buffer;
}
