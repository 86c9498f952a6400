#include "link_target.h"

#include <vector>

#include "atlstr.h"
#include "testhost.h"
#include "shlobj.h"
#include "windows.h"

namespace qxtest {
namespace {

const int kLongest = 32767;  // characters of the longest path

// The shortcut at link loaded into the system's shell link object, and one
// of its texts read by get; a text saying what failed when it cannot be read.
template <typename Get>
std::string ReadLink(const std::string& link, Get get) {
    const bool initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    std::string text = "cannot read the shortcut " + link;
    IShellLinkW* shellLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            std::vector<WCHAR> value(kLongest + 1);
            if (SUCCEEDED(file->Load(CString::FromUtf8(link), STGM_READ)) && SUCCEEDED(get(shellLink, value.data())))
                text = CString(value.data()).ToUtf8();
            file->Release();
        }
        shellLink->Release();
    }
    if (initialized) CoUninitialize();
    return text;
}

// Saves a shortcut to target as link through the system's shell link object.
bool SaveLink(const CString& target, const CString& link) {
    const bool initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    bool saved = false;
    IShellLinkW* shellLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            saved = SUCCEEDED(shellLink->SetPath(target)) && SUCCEEDED(file->Save(link, TRUE));
            file->Release();
        }
        shellLink->Release();
    }
    if (initialized) CoUninitialize();
    return saved;
}

}  // namespace

bool ShortcutsHoldLongTargets() {
    static const bool held = [] {
        const TempDir folder;
        const std::string target = folder.path() + "\\" + std::string(MAX_PATH, 't') + ".txt";
        const std::string link = folder / "probe.lnk";
        return SaveLink(CString::FromUtf8(target), CString::FromUtf8(link)) && LinkTarget(link) == target;
    }();
    return held;
}

std::string LinkTarget(const std::string& link) {
    return ReadLink(link, [](IShellLinkW* l, WCHAR* out) { return l->GetPath(out, kLongest, nullptr, SLGP_RAWPATH); });
}

std::string LinkDescription(const std::string& link) {
    return ReadLink(link, [](IShellLinkW* l, WCHAR* out) { return l->GetDescription(out, kLongest); });
}

}  // namespace qxtest
