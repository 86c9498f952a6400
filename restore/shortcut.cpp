#include "restore/shortcut.h"

#include "services/contained_path.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "services/scoped_handle.h"
#include "folders/directories.h"
#include "shlobj.h"

namespace {

const WCHAR kLinkExtension[] = u".lnk";
const WCHAR kShortcutDescription[] = u"File backup Shortcut";

// The link beside origin, named after its file name without the extension
// (the part after the last dot); number 2 and on add " (n)" to the name.
CString LinkPathFor(const CString& origin, int number) {
    const int nameStart = origin.ReverseFind(u'\\') + 1;
    CString name = origin.Mid(nameStart);
    const int dot = name.ReverseFind(u'.');
    if (dot > 0) name = name.Left(dot);
    if (number > 1) name.AppendFormat(u" (%d)", number);
    return origin.Left(nameStart) + name + kLinkExtension;
}

// The first link name for origin that no entry holds, in any spelling: saving
// a link under a name that another entry holds ignoring case would write over
// that entry wherever names are compared that way.
bool FreeLinkPath(const CString& root, const CString& origin, CString& link) {
    for (int number = 1; number < 10000; ++number) {
        link = LinkPathFor(origin, number);
        PathBelow below = CheckBelow(root, link);
        if (!below.usable()) return false;
        if (below.firstMissing != link) continue;
        if (GetFileAttributesW(WithLongPathPrefix(link)) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
            return true;
    }
    return false;
}

// Writes a shell link to fullTarget as linkPath, the caller having initialized
// COM; the interfaces are released on return, before COM is uninitialized.
HRESULT SaveShellLink(const CString& fullTarget, const CString& description, const CString& linkPath) {
    ScopedComPtr<IShellLinkW> link;
    ScopedComPtr<IPersistFile> file;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.put()));
    if (SUCCEEDED(hr)) hr = link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()));
    if (SUCCEEDED(hr)) hr = link.get()->SetPath(fullTarget);
    if (SUCCEEDED(hr)) hr = link.get()->SetDescription(description);
    // The whole link path is saved: cutting it to a 260-character buffer would
    // change the name of a link of exactly 260 characters.
    if (SUCCEEDED(hr)) hr = file.get()->Save(linkPath, TRUE);
    return hr;
}

}  // namespace

HRESULT CreateShortcut(const CString& target, const CString& description, const CString& linkPath) {
    // At any length: a restored over-length file can lie deeper than 260 characters.
    const CString fullTarget = FullPathOf(target);
    if (fullTarget.IsEmpty()) return E_FAIL;

    HRESULT hr = CoInitialize(nullptr);
    if (hr != S_OK && hr != S_FALSE) return hr;
    hr = SaveShellLink(fullTarget, description, linkPath);
    CoUninitialize();
    return hr;
}

bool PlaceShortcut(const CString& target, const CString& origin, const CString& root) {
    CString link = LinkPathFor(origin, 1);
    if (!CreateDirectoriesBelow(root, link)) return false;
    if (FreeLinkPath(root, origin, link) && SUCCEEDED(CreateShortcut(target, kShortcutDescription, link))) return true;
    ReportError(MSG_ERROR_SHORTCUT_FAILED, link.GetString());
    return false;
}
