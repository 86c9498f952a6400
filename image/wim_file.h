// CWimFile: capture, append, apply and split of image files.
#pragma once

#include <vector>

#include "atlstr.h"
#include "wimgapi.h"

class CWimFile {
public:
    CWimFile(DWORD compression, FARPROC_WIM_CALLBACK callback);
    ~CWimFile();
    CWimFile(const CWimFile&) = delete;
    CWimFile& operator=(const CWimFile&) = delete;

    int Capture(CString sourceFolder, CString wimPath, CString tempFolder, DWORD disposition);
    int Apply(CString wimPath, CString target, DWORD image, DWORD fallbackImage, CString tempPath,
              BOOL useReferences, const std::vector<CString>* references);
    int Split(CString wimPath, LONGLONG partSize);
    int SetReferenceFile(CString partPath);
    int CloseHandles();

    HANDLE m_hWim = nullptr;
    HANDLE m_hImage = nullptr;
    DWORD m_dwCompression = 0;
    WIM_INFO m_wimInfo{};
    CString m_strWimPath;
    CString m_strTempPath;
    CString m_strCapturePath;
    CString m_strApplyPath;
    bool m_bSetBoot = false;
    // Name and description that Capture gives the new image (none when the name is empty).
    CString m_strImageName;
    CString m_strImageDescription;
};

// The callback registered by the last constructed wrapper.
extern FARPROC_WIM_CALLBACK g_pfnWimCallback;
