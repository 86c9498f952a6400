// fputws and fgetws for 16-bit WCHAR: the FILE carries UTF-8 (see text_stream.h).
#include <cerrno>
#include <cstdio>

#include "utf8_codec.h"
#include "wcrt.h"

namespace {

size_t SequenceLength(int lead) {
    if (lead < 0xC2) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return lead <= 0xF4 ? 4 : 1;
}

}  // namespace

int fputws(const WCHAR* str, FILE* stream) {
    if (!str || !stream) {
        errno = EINVAL;
        return EOF;
    }
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
