#include "image_reader.h"

#include "cancel.h"

namespace qxfm {

bool ImageReader::ReadSet(const ImageSet& set, bool check, std::vector<ImageReport>* reports, DWORD* error) {
    OpenedImageSet opened(set, &ImageReader::OnMessage, this);
    if (!opened.IsOpen()) {
        *error = opened.error();
        return false;
    }
    for (const ImageName& image : opened.Images()) {
        if (CancelRequested()) break;
        ImageReport report;
        report.image = image;
        m_report = &report;
        m_files = StoredFileList();
        if (check) m_display.Operation("checking " + image.text.ToUtf8());
        report.read = opened.Read(image, WIM_FLAG_FILEINFO | (check ? WIM_FLAG_VERIFY : 0));
        // Damaged data still leaves the listing complete.
        if (!report.read && opened.error() == ERROR_FILE_CORRUPT && !report.damaged.empty()) report.read = true;
        report.error = opened.error();
        report.files = m_files.Joined();
        m_report = nullptr;
        reports->push_back(std::move(report));
    }
    return true;
}

DWORD CALLBACK ImageReader::OnMessage(DWORD id, WPARAM wParam, LPARAM lParam, PVOID user) {
    auto& reader = *static_cast<ImageReader*>(user);
    if (CancelRequestedAtCallback()) return WIM_MSG_ABORT_IMAGE;
    if (!reader.m_report) return WIM_MSG_SUCCESS;
    switch (id) {
        case WIM_MSG_PROGRESS:
            reader.m_display.Progress(static_cast<int>(wParam), kPhaseReadImages);
            break;
        case WIM_MSG_FILEINFO: {
            const CString path = reinterpret_cast<const WCHAR*>(wParam);
            reader.m_files.Add(path, *reinterpret_cast<const WIN32_FIND_DATAW*>(lParam));
            reader.m_display.CurrentFile(path.ToUtf8());
            break;
        }
        case WIM_MSG_ERROR:
            if (lParam == ERROR_FILE_CORRUPT) reader.m_report->damaged.push_back(reinterpret_cast<const WCHAR*>(wParam));
            break;
        case WIM_MSG_INFO:
            if (lParam == ERROR_FILE_CORRUPT) reader.m_report->damagedParts.insert(reinterpret_cast<const WCHAR*>(wParam));
            break;
    }
    return WIM_MSG_SUCCESS;
}

}  // namespace qxfm
