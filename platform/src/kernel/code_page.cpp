// MultiByteToWideChar and WideCharToMultiByte for CP_ACP and CP_UTF8 (both UTF-8 here).
#include <cstring>

#include "last_error.h"
#include "utf8_codec.h"

namespace {

constexpr DWORD kMbErrInvalidChars = 0x00000008;
constexpr DWORD kWcErrInvalidChars = 0x00000080;
constexpr DWORD kErrorNoUnicodeTranslation = 1113;

bool KnownCodePage(UINT cp) { return cp == CP_ACP || cp == CP_UTF8; }

}  // namespace

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
    if (!KnownCodePage(CodePage) || !lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 ||
        (cchWideChar && !lpWideCharStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        size_t n = cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
        bool invalid = false;
        std::u16string wide = QxUtf8ToUtf16(lpMultiByteStr, n, &invalid, QxBadBytes::Replace);
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
