// The WIMGAPI layer on Windows (the test engine, wimgapi.dll over wimlib's
// libwim-15.dll): wimlib's text is UTF-16 and its paths are Windows paths;
// the image keeps the attributes in its own field, and no ACLs travel.
#include "wimgapi_host.h"

#include <algorithm>
#include <cwchar>

#include "wimgapi.h"

namespace {

const wchar_t kLongPathPrefix[] = L"\\\\?\\";
const wchar_t kNtPathPrefix[] = L"\\??\\";
const size_t kPrefixLength = 4;
const size_t kMaxNameUnits = 255;

}  // namespace

CString FromHostText(const HostChar* text) {
    return text ? CString(reinterpret_cast<const WCHAR*>(text)) : CString();
}

HostString ToHostText(const CString& text) {
    return HostString(reinterpret_cast<const wchar_t*>(text.GetString()), static_cast<size_t>(text.GetLength()));
}

bool IsHostSeparator(HostChar c) { return c == L'\\' || c == L'/'; }

bool HostPathOf(LPCWSTR winPath, HostString& hostPath) {
    if (!winPath || !*winPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    hostPath = reinterpret_cast<const wchar_t*>(winPath);
    return true;
}

// wimlib scans the NT path of the source and names each item with the
// long-path prefix ("\\?\C:\a\b").
void ScannedFormInto(HostStringView path, HostString& out) {
    if (path.substr(0, kPrefixLength) == kLongPathPrefix || path.substr(0, kPrefixLength) == kNtPathPrefix)
        path.remove_prefix(kPrefixLength);
    out.clear();
    for (wchar_t c : path) {
        if (c == L'/') c = L'\\';
        if (c != L'\\' || out.size() < 2 || out.back() != L'\\') out += c;
    }
    const bool driveRoot = out.size() == 3 && out[1] == L':';
    while (out.size() > 1 && out.back() == L'\\' && !driveRoot) out.pop_back();
}

int HostCaptureFlags() { return WIMLIB_ADD_FLAG_NO_ACLS; }

int HostExtractFlags() { return WIMLIB_EXTRACT_FLAG_NO_ACLS; }

// wimlib leaves out, by itself, an item whose name holds a character Windows
// refuses; a name of more than 255 units fails the whole extraction.
DWORD UnusableNameError(const HostChar* name) {
    if (!name) return 0;
    if (std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0) return ERROR_INVALID_NAME;
    for (const wchar_t* c = name; *c; ++c)
        if (*c < 0x20 || std::wcschr(L"\\/:*?\"<>|", *c)) return ERROR_INVALID_NAME;
    if (std::wcslen(name) > kMaxNameUnits) return ERROR_FILENAME_EXCED_RANGE;
    return 0;
}

// Every name a Windows folder lists is UTF-16, as the image keeps it.
bool IsStorableName(const HostChar*) { return true; }

// A drive is never below a folder, and wimlib stores a mount point below the
// source as the reparse point it is, without entering it.
std::unordered_set<HostString> RootsLeftOut(const HostString&) { return {}; }

// wimlib's messages go nowhere: the callback's messages and the last error
// are what WIMGAPI reports on Windows.
void RouteLibraryMessages() { wimlib_set_print_errors(false); }

CString QxTakeWimLibraryMessages() { return CString(); }

HostEntry HostEntryKind(const HostString& path) {
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES) return HostEntry::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? HostEntry::Folder : HostEntry::File;
}

uint64_t HostFileSize(const HostString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(reinterpret_cast<LPCWSTR>(path.c_str()), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void RemoveHostFile(const HostString& path) { DeleteFileW(reinterpret_cast<LPCWSTR>(path.c_str())); }

bool MakeScratchFolder(const HostString& base, HostString& made) {
    HostString folder = base;
    if (folder.empty()) {
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, reinterpret_cast<LPWSTR>(temp));
        if (length == 0 || length > MAX_PATH) return false;
        folder.assign(temp, length);
    }
    if (!IsHostSeparator(folder.back())) folder += kHostSeparator;
    // A name of its own: the first free one of the process's numbered names.
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        made = folder + L"wimgapi-verify-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(reinterpret_cast<LPCWSTR>(made.c_str()), nullptr)) return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

void RemoveHostFolder(const HostString& path) { RemoveDirectoryW(reinterpret_cast<LPCWSTR>(path.c_str())); }
