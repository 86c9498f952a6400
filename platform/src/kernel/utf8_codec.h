// Incremental UTF-8 decoding and UTF-8 encoding for the code-page and stdio layers.
#pragma once

#include <cstddef>
#include <string>

// Decodes one code point from s[0..n); returns the bytes used, 0 when the
// sequence is cut short (more input needed), and U+FFFD for a byte that
// starts no valid sequence (using one byte).
size_t QxDecodeUtf8(const unsigned char* s, size_t n, char32_t& cp);

void QxAppendUtf8(std::string& out, char32_t cp);
void QxAppendUtf16(std::u16string& out, char32_t cp);
// Host names need not be valid UTF-8. The conversion keeps them whole: a byte
// that starts no valid sequence becomes the lone surrogate U+DC00 + byte
// (U+DC80..U+DCFF) and such a surrogate becomes that byte again.
//
// The code-page calls convert as Windows does instead: U+FFFD for every
// invalid byte and every unpaired surrogate.
enum class QxBadBytes { Keep, Replace };

// UTF-16 to UTF-8; an unpaired surrogate that stands for no byte becomes
// U+FFFD, which *replaced tells.
std::string QxUtf16ToUtf8(const char16_t* s, size_t n, bool* replaced = nullptr, QxBadBytes bad = QxBadBytes::Keep);
// UTF-8 to UTF-16; *invalid tells whether there were invalid bytes.
std::u16string QxUtf8ToUtf16(const char* s, size_t n, bool* invalid = nullptr, QxBadBytes bad = QxBadBytes::Keep);
