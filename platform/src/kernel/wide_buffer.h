// Handing a string back in a caller's buffer, Win32 style.
#pragma once

#include <cstring>
#include <string>

#include "windows.h"

// Copies s with its null when it fits and returns its length; otherwise
// returns the size needed, null included, and leaves the buffer alone.
inline DWORD QxCopyToBuffer(const std::u16string& s, DWORD size, LPWSTR buffer) {
    if (!buffer || size <= s.size()) return static_cast<DWORD>(s.size() + 1);
    std::memcpy(buffer, s.c_str(), (s.size() + 1) * sizeof(WCHAR));
    return static_cast<DWORD>(s.size());
}
