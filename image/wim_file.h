// CWimFile: capture, append, apply and split of image files.
#pragma once

#include <vector>

#include "atlstr.h"
#include "services/scoped_handle.h"
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
    // Adds an image of sourceFolder to wimPath, which the first capture opens
    // with disposition (WIM_CREATE_ALWAYS makes a new file) and which stays
    // open for the next ones.
    bool Capture(const CString& sourceFolder, const CString& wimPath, DWORD disposition);
    // Writes the captured images into the file, all at once, and closes it.
    // A wrapper destroyed before that leaves the file without them.
    bool WriteCaptures();
    // Applies image (or fallbackImage) of wimPath into target; with useReferences
    // the other parts of a split set are taken from references.
    bool Apply(const CString& wimPath, const CString& target, DWORD image, DWORD fallbackImage,
               const CString& tempPath, bool useReferences, const std::vector<CString>* references);
    // Splits wimPath into parts of at most partSize bytes and deletes it.
    bool Split(const CString& wimPath, LONGLONG partSize);
    // Images in the file the last Apply opened.
    DWORD AppliedFileImageCount() const { return m_appliedImageCount; }

private:
    void DiscardCaptures();

    FARPROC_WIM_CALLBACK m_callback = nullptr;
    ScopedWimHandle m_captureFile;  // the file the captures add to, until written
    DWORD m_compression = 0;
    DWORD m_appliedImageCount = 0;
    CString m_imageName;
    CString m_imageDescription;
};
