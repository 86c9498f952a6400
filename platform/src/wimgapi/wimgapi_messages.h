// Pieces shared by the calls that report to the message callbacks.
#pragma once

#include <climits>

#include "atlstr.h"
#include "wimgapi.h"
#include "wimgapi_host.h"

// base (a Windows folder, trailing backslash optional) + "\" + relative (a
// host or image path, in wimlib's text), whose separators become "\"; leading
// separators of relative are dropped.
CString JoinWindowsPath(const CString& base, const HostChar* relative);

// JoinWindowsPath for each item of a scan, which offers the items of a folder
// one after another: the folder's part of the path is converted once for all
// (a folder's name holds no separator, so the leaf is converted as it is).
class ScannedPaths {
public:
    explicit ScannedPaths(const CString& base);
    // The path of relative, valid until the next call.
    const WCHAR* Join(const HostChar* relative);
    // False when the last path joined holds a name the image cannot hold.
    bool Storable() const;

private:
    std::u16string m_base;        // with its trailing backslash
    HostString m_folder;          // the folder part of the last relative path
    std::u16string m_folderPath;  // its Windows path, with its trailing backslash
    const HostChar* m_leaf = nullptr;
    std::u16string m_path;
};

// WIM_MSG_PROGRESS with the percent of the running call, sent only when it changes.
class ProgressReporter {
public:
    explicit ProgressReporter(HANDLE fileHandle) : m_fileHandle(fileHandle) {}
    // Returns the callbacks' answer (WIM_MSG_SUCCESS when nothing was sent).
    DWORD Report(unsigned long long done, unsigned long long total);

private:
    HANDLE m_fileHandle;
    UINT m_last = UINT_MAX;
};
