// The real Windows headers with this project's character type: WCHAR is
// char16_t, as in the POSIX personality, so u"..." literals and CString text
// pass straight to the W functions (on Windows both are 16-bit code units).
#pragma once

#ifndef __WCHAR_DEFINED
#define __WCHAR_DEFINED
typedef char16_t WCHAR;
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

// stralign.h's inline helpers pass WCHAR texts to wchar_t functions; the
// module uses none of them.
#define __STRALIGN_H_

#include_next <windows.h>
#include <oleauto.h>
#include <winioctl.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are 16-bit code units");

// The personality is a static library on Windows: nothing to export.
#define QXPLATFORM_API
