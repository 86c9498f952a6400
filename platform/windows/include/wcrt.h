// The runtime's wide stdio, path splitting and time formatting over the real
// C runtime, for 16-bit WCHAR texts: _wfopen with the text modes "t", "b" and
// ",ccs=UNICODE", fputws, fgetws, _wsplitpath_s and wcsftime.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cwchar>

#include <windows.h>

inline const wchar_t* QxCrtText(const WCHAR* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* QxCrtText(WCHAR* text) { return reinterpret_cast<wchar_t*>(text); }

inline FILE* _wfopen(const WCHAR* filename, const WCHAR* mode) {
    return _wfopen(QxCrtText(filename), QxCrtText(mode));
}
inline int fputws(const WCHAR* str, FILE* stream) { return fputws(QxCrtText(str), stream); }
inline WCHAR* fgetws(WCHAR* buffer, int count, FILE* stream) {
    return fgetws(QxCrtText(buffer), count, stream) ? buffer : nullptr;
}
inline int _wsplitpath_s(const WCHAR* path, WCHAR* drive, size_t driveSize, WCHAR* dir, size_t dirSize, WCHAR* fname,
                         size_t nameSize, WCHAR* ext, size_t extSize) {
    return _wsplitpath_s(QxCrtText(path), QxCrtText(drive), driveSize, QxCrtText(dir), dirSize, QxCrtText(fname),
                         nameSize, QxCrtText(ext), extSize);
}
inline size_t wcsftime(WCHAR* buffer, size_t size, const WCHAR* format, const struct tm* time) {
    return wcsftime(QxCrtText(buffer), size, QxCrtText(format), time);
}
