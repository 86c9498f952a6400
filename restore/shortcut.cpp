#include "restore/shortcut.h"

#include "api/dbglog.h"
#include "api/notify.h"
#include "api/path_parts.h"
#include "restore/directories.h"
#include "shlobj.h"

namespace {

const int kMaxLinkPath = MAX_PATH;
const WCHAR kLinkExtension[] = u".lnk";
const int kLinkExtensionLength = 4;
const WCHAR kShortcutDescription[] = u"File backup Shortcut";

// Forms the link path for origin; false when it is too long and has no folder to shorten it to.
bool LinkPathFor(const CString& origin, CString& link) {
    int dot = origin.Find(u'.');
    link = dot >= 0 ? origin.Left(dot) + kLinkExtension : CString(kLinkExtension);
    if (link.GetLength() <= kMaxLinkPath) return true;

    bool metBackslash = false;
    for (int i = link.GetLength() - 1; i >= 0; --i) {
        if (link[i] != u'\\') continue;
        if (link.GetLength() <= kMaxLinkPath - kLinkExtensionLength) break;
        link = link.Left(i);
        metBackslash = true;
    }
    if (metBackslash) link += kLinkExtension;
    return metBackslash;
}

}  // namespace

HRESULT CreateShortcut(const CString& target, const CString& description, const CString& linkPath) {
    // At any length: a restored over-length file can lie deeper than 260 characters.
    const CString fullTarget = FullPathOf(target);
    if (fullTarget.IsEmpty()) return E_FAIL;

    HRESULT hr = CoInitialize(nullptr);
    if (hr != S_OK && hr != S_FALSE) return hr;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                          reinterpret_cast<void**>(&link));
    if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) hr = link->SetPath(fullTarget);
    if (SUCCEEDED(hr)) hr = link->SetDescription(description);
    // The whole link path is saved: cutting it to a 260-character buffer would
    // change the name of a link of exactly 260 characters.
    if (SUCCEEDED(hr)) hr = file->Save(linkPath, TRUE);
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return hr;
}

int PlaceShortcut(const CString& target, const CString& origin) {
    CString link;
    if (!LinkPathFor(origin, link)) {
        DbgLog(ErrorText(MSG_ERROR_SHORTCUT_FAILED), link.GetString());
        PostError(MSG_ERROR_SHORTCUT_FAILED);
        return 0;
    }
    CreateDirectories(link);
    CreateShortcut(target, kShortcutDescription, link);
    return 1;
}
