// Reads the images of a backup's image sets without applying them: each
// image's stored files, and with a check the damaged files and their parts,
// while the display shows the progress and Ctrl-C stops the reading.
#pragma once

#include <set>
#include <vector>

#include "backup_images.h"
#include "display.h"
#include "stored_files.h"

namespace qxfm {

// What reading one image found.
struct ImageReport {
    ImageName image;
    std::vector<StoredFile> files;  // big files joined
    std::vector<CString> damaged;   // files whose data is damaged, as stored (pieces included)
    std::set<CString> damagedParts;
    bool read = false;              // false: the image could not be read (error says why)
    DWORD error = 0;
};

class ImageReader {
public:
    explicit ImageReader(Display& display) : m_display(display) {}
    // Reads every image of the set; check adds the data check. Stops early on Ctrl-C.
    // False with *error when the set cannot be opened.
    bool ReadSet(const ImageSet& set, bool check, std::vector<ImageReport>* reports, DWORD* error);

private:
    static DWORD CALLBACK OnMessage(DWORD id, WPARAM wParam, LPARAM lParam, PVOID user);

    Display& m_display;
    StoredFileList m_files;
    ImageReport* m_report = nullptr;
};

}  // namespace qxfm
