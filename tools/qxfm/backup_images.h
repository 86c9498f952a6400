// The image files of a backup folder read through the platform's WIMGAPI, as
// any WIMGAPI host reads them (the module's exports do not open images): the
// sets of parts found in the folder and the images of one set.
#pragma once

#include <string>
#include <vector>

#include "atlstr.h"
#include "wimgapi.h"

namespace qxfm {

// One image file, or the parts of one split image (first part first).
struct ImageSet {
    std::vector<CString> parts;
    std::vector<unsigned> partNumbers;  // of each of parts, as its header says
    unsigned totalParts = 1;  // as the parts' headers say; more than parts.size() when some are missing
};

// The file names of the parts a split image set lacks, as a split names them
// (NAME.swm, NAME2.swm, NAME3.swm ...).
std::vector<CString> MissingParts(const ImageSet& set);

// The *.wim and *.swm files of a folder, grouped into sets by their WIM GUID.
// Files that cannot be opened as image files go to unreadable.
std::vector<ImageSet> FindImageSets(const CString& folder, std::vector<CString>* unreadable);

// One image as a backup names it: "C: DOCUMENTS" is drive C: and category DOCUMENTS.
struct ImageName {
    DWORD index = 0;
    CString text;      // the stored name, or "image N" when it has none
    CString drive;     // "C:", empty when the name does not start with a drive
    CString category;  // the rest of the name
    CString description;  // a backup's "NAME, YYYY-MM-DD HH:MM:SS"
};

// An image set opened for reading, with every part referenced and a message
// callback (called with user) bound to it.
class OpenedImageSet {
public:
    OpenedImageSet(const ImageSet& set, FARPROC_WIM_CALLBACK callback, void* user);
    ~OpenedImageSet();
    OpenedImageSet(const OpenedImageSet&) = delete;
    OpenedImageSet& operator=(const OpenedImageSet&) = delete;

    // False when the first part cannot be opened; error() tells why.
    bool IsOpen() const { return m_file != nullptr; }
    DWORD error() const { return m_error; }
    std::vector<ImageName> Images() const;
    // Reads image index without applying it (WIM_FLAG_NO_APPLY plus flags), the
    // paths reported below the image's drive. False with error() on failure.
    bool Read(const ImageName& image, DWORD flags);

private:
    HANDLE m_file = nullptr;
    FARPROC_WIM_CALLBACK m_callback;
    DWORD m_error = 0;
};

}  // namespace qxfm
