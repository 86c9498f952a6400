#include "link_target.h"

#include "atlstr.h"
#include "shlobj.h"
#include "windows.h"

namespace qxtest {

std::string LinkTarget(const std::string& link) {
    const bool initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    std::string target = "cannot read the shortcut " + link;
    IShellLinkW* shellLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(CString::FromUtf8(link), STGM_READ)) &&
                SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
                target = CString(path).ToUtf8();
            file->Release();
        }
        shellLink->Release();
    }
    if (initialized) CoUninitialize();
    return target;
}

}  // namespace qxtest
