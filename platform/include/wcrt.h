// The wide-character C runtime subset: stdio with the Windows text modes,
// path splitting and time formatting.
#pragma once

#include <cstdio>
#include <ctime>

#include "windows.h"

#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256

// Opens a stream with the runtime's mode syntax: "r", "w", "a", optional "+",
// "t" (text, the default) or "b", and ",ccs=UNICODE" for UTF-16 LE text with a
// byte-order mark ("a" writes the mark only into an empty file). Text mode
// turns "\n" into CR LF on writing and CR LF into "\n" on reading. 8-bit text
// is in this platform's ANSI code page, UTF-8. The stream is a plain FILE*:
// fclose, fflush, fseek and the narrow calls work on it. Sets errno and the
// thread's last error on failure.
extern "C" QXPLATFORM_API FILE* _wfopen(const WCHAR* filename, const WCHAR* mode);

// Wide stream I/O in the stream's encoding (overloads for 16-bit WCHAR).
QXPLATFORM_API int fputws(const WCHAR* str, FILE* stream);
QXPLATFORM_API WCHAR* fgetws(WCHAR* buffer, int count, FILE* stream);

extern "C" QXPLATFORM_API int _wsplitpath_s(const WCHAR* path, WCHAR* drive, size_t driveSize, WCHAR* dir,
                                            size_t dirSize, WCHAR* fname, size_t nameSize, WCHAR* ext,
                                            size_t extSize);

// wcsftime for 16-bit WCHAR.
QXPLATFORM_API size_t wcsftime(WCHAR* buffer, size_t size, const WCHAR* format, const struct tm* time);
