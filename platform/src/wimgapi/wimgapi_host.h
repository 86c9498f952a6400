// What the WIMGAPI layer needs of the system it runs on beside wimlib: wimlib's
// text (UTF-8 bytes on Linux, UTF-16 on Windows), host paths and their scanned
// forms, names the system cannot make, and the few file calls of its own.
// Linux: wimgapi_host.cpp here; Windows: platform/windows/src/wimgapi.
#pragma once

#include <wimlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "atlstr.h"
#include "windows.h"

using HostChar = wimlib_tchar;
using HostString = std::basic_string<HostChar>;
using HostStringView = std::basic_string_view<HostChar>;

#ifdef _WIN32
#define QX_HOST_TEXT(text) L##text
constexpr HostChar kHostSeparator = L'\\';
#else
#define QX_HOST_TEXT(text) text
constexpr HostChar kHostSeparator = '/';
#endif

// The path separator inside an image, in wimlib's paths of its items.
constexpr HostChar kImageSeparator = WIMLIB_WIM_PATH_SEPARATOR;

CString FromHostText(const HostChar* text);
HostString ToHostText(const CString& text);
// A separator of host paths ('/'; on Windows also '\').
bool IsHostSeparator(HostChar c);

// Host path of a Windows path, or false with the last error set.
bool HostPathOf(LPCWSTR winPath, HostString& hostPath);
// A host path as wimlib names it while scanning: separators collapsed, no
// trailing one (Windows: without the long-path prefix). Into out, whose
// storage a scan reuses for every item.
void ScannedFormInto(HostStringView path, HostString& out);
inline HostString ScannedForm(HostStringView path) {
    HostString out;
    ScannedFormInto(path, out);
    return out;
}

// The capture's settings of wimlib for this system (what travels beside the
// image's own attributes) and the apply's.
int HostCaptureFlags();
int HostExtractFlags();
// Why this system cannot make an item of that name (null: none), or 0.
DWORD UnusableNameError(const HostChar* name);
// False for a name the image cannot hold (Linux: bytes that are not UTF-8).
bool IsStorableName(const HostChar* name);
// The roots below the source of what is not part of its drive: other drives
// and file systems mounted below it.
std::unordered_set<HostString> RootsLeftOut(const HostString& source);

// Sends wimlib's messages where QxTakeWimLibraryMessages finds them.
void RouteLibraryMessages();

enum class HostEntry { Missing, File, Folder };
HostEntry HostEntryKind(const HostString& path);
uint64_t HostFileSize(const HostString& path);
void RemoveHostFile(const HostString& path);
// A new folder of its own below base (the system's temporary folder when
// empty), or false with the last error set; RemoveHostFolder removes it empty.
bool MakeScratchFolder(const HostString& base, HostString& made);
void RemoveHostFolder(const HostString& path);
