// Component objects and the shell link object: CoCreateInstance(CLSID_ShellLink)
// gives an object whose IPersistFile::Save writes a real shell link (.lnk) file.
#pragma once

#include "windows.h"

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFIID;
typedef const GUID& REFCLSID;

#define CLSCTX_INPROC_SERVER 0x1
#define STGM_READ 0x00000000L

extern "C" {
QXPLATFORM_API extern const CLSID CLSID_ShellLink;
QXPLATFORM_API extern const IID IID_IUnknown;
QXPLATFORM_API extern const IID IID_IShellLinkW;
QXPLATFORM_API extern const IID IID_IPersistFile;
}

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IShellLinkW : IUnknown {
    virtual HRESULT SetPath(LPCWSTR pszFile) = 0;
    virtual HRESULT SetDescription(LPCWSTR pszName) = 0;
    virtual HRESULT SetRelativePath(LPCWSTR pszPathRel, DWORD dwReserved) = 0;
    virtual HRESULT SetWorkingDirectory(LPCWSTR pszDir) = 0;
    virtual HRESULT SetArguments(LPCWSTR pszArgs) = 0;
    virtual HRESULT GetPath(LPWSTR pszFile, int cch, WIN32_FIND_DATAW* pfd, DWORD fFlags) = 0;
    virtual HRESULT GetDescription(LPWSTR pszName, int cch) = 0;

protected:
    ~IShellLinkW() = default;
};

struct IPersistFile : IUnknown {
    virtual HRESULT Save(LPCWSTR pszFileName, BOOL fRemember) = 0;
    virtual HRESULT Load(LPCWSTR pszFileName, DWORD dwMode) = 0;

protected:
    ~IPersistFile() = default;
};

extern "C" {
QXPLATFORM_API HRESULT CoInitialize(LPVOID pvReserved);
QXPLATFORM_API void CoUninitialize();
QXPLATFORM_API HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                                        LPVOID* ppv);
}
