// The component object layer: per-thread initialisation and the one class it
// can create, the shell link.
#include "shell_link.h"

namespace {

constexpr HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110L);  // CLASS_E_NOAGGREGATION
constexpr HRESULT kClassNotRegistered = static_cast<HRESULT>(0x80040154L);  // REGDB_E_CLASSNOTREG
constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x800401F0L);  // CO_E_NOTINITIALIZED

thread_local unsigned t_initCount = 0;

}  // namespace

extern "C" {
const CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

bool QxSameGuid(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

HRESULT CoInitialize(LPVOID) { return t_initCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (t_initCount > 0) --t_initCount;
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (t_initCount == 0) return kNotInitialized;
    if (!QxSameGuid(rclsid, CLSID_ShellLink) || !(dwClsContext & CLSCTX_INPROC_SERVER)) return kClassNotRegistered;
    if (pUnkOuter) return kNoAggregation;
    return QxCreateShellLink(riid, ppv);
}
