// MultiByteToWideChar and WideCharToMultiByte for CP_ACP and CP_UTF8 (both
// UTF-8 here); MultiByteToWideChar also reads Windows-1252, the ANSI code
// page of catalogs written on Western Windows systems.
#include <cstring>

#include "last_error.h"
#include "utf8_codec.h"

namespace {

constexpr DWORD kMbErrInvalidChars = 0x00000008;
constexpr DWORD kWcErrInvalidChars = 0x00000080;
constexpr DWORD kErrorNoUnicodeTranslation = 1113;

constexpr UINT kWindows1252 = 1252;

bool KnownCodePage(UINT cp) { return cp == CP_ACP || cp == CP_UTF8; }

// Bytes 0x80 to 0x9F of Windows-1252; the five it leaves undefined map to the
// control character of their value, as Windows maps them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::u16string FromWindows1252(const char* bytes, size_t n) {
    std::u16string wide(n, u'\0');
    for (size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        wide[i] = b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : static_cast<char16_t>(b);
    }
    return wide;
}

}  // namespace

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
    if ((!KnownCodePage(CodePage) && CodePage != kWindows1252) || !lpMultiByteStr || cbMultiByte == 0 ||
        cchWideChar < 0 || (cchWideChar && !lpWideCharStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        size_t n = cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
        bool invalid = false;
        std::u16string wide = CodePage == kWindows1252 ? FromWindows1252(lpMultiByteStr, n)
                                                       : QxUtf8ToUtf16(lpMultiByteStr, n, &invalid, QxBadBytes::Replace);
        if (invalid && (dwFlags & kMbErrInvalidChars)) {
            SetLastError(kErrorNoUnicodeTranslation);
            return 0;
        }
        if (cchWideChar == 0) return static_cast<int>(wide.size());
        if (wide.size() > static_cast<size_t>(cchWideChar)) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(lpWideCharStr, wide.data(), wide.size() * sizeof(WCHAR));
        return static_cast<int>(wide.size());
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar, char* lpMultiByteStr,
                        int cbMultiByte, const char* lpDefaultChar, BOOL* lpUsedDefaultChar) {
    if (!KnownCodePage(CodePage) || !lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 ||
        (cbMultiByte && !lpMultiByteStr) || (CodePage == CP_UTF8 && (lpDefaultChar || lpUsedDefaultChar))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        size_t n = 0;
        if (cchWideChar < 0) {
            while (lpWideCharStr[n]) ++n;
            ++n;
        } else {
            n = static_cast<size_t>(cchWideChar);
        }
        bool replaced = false;
        std::string bytes = QxUtf16ToUtf8(lpWideCharStr, n, &replaced, QxBadBytes::Replace);
        if (lpUsedDefaultChar) *lpUsedDefaultChar = replaced ? TRUE : FALSE;
        if (replaced && (dwFlags & kWcErrInvalidChars)) {
            SetLastError(kErrorNoUnicodeTranslation);
            return 0;
        }
        if (cbMultiByte == 0) return static_cast<int>(bytes.size());
        if (bytes.size() > static_cast<size_t>(cbMultiByte)) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(lpMultiByteStr, bytes.data(), bytes.size());
        return static_cast<int>(bytes.size());
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
