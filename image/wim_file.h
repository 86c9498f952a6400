// CWimFile: capture, append, apply and split of image files.
#pragma once

#include <vector>

#include "atlstr.h"
#include "wimgapi.h"

class CWimFile {
public:
    // Registers callback for every WIMGAPI call of the process, with
    // callbackData as its user data, until the wrapper is destroyed.
    CWimFile(DWORD compression, FARPROC_WIM_CALLBACK callback, void* callbackData);
    ~CWimFile();
    CWimFile(const CWimFile&) = delete;
    CWimFile& operator=(const CWimFile&) = delete;

    // Name and description that Capture gives the new image (none when the name is empty).
    void SetImageInformation(const CString& name, const CString& description);
    // Appends an image of sourceFolder to wimPath (WIM_CREATE_ALWAYS makes a new file).
    bool Capture(const CString& sourceFolder, const CString& wimPath, DWORD disposition);
    // Applies image (or fallbackImage) of wimPath into target; with useReferences
    // the other parts of a split set are taken from references.
    bool Apply(const CString& wimPath, const CString& target, DWORD image, DWORD fallbackImage,
               const CString& tempPath, bool useReferences, const std::vector<CString>* references);
    // Splits wimPath into parts of at most partSize bytes and deletes it.
    bool Split(const CString& wimPath, LONGLONG partSize);
    // Images in the file the last Apply opened.
    DWORD AppliedFileImageCount() const { return m_appliedImageCount; }

private:
    FARPROC_WIM_CALLBACK m_callback = nullptr;
    DWORD m_compression = 0;
    DWORD m_appliedImageCount = 0;
    CString m_imageName;
    CString m_imageDescription;
};
