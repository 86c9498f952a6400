#include "image_files.h"

#include <algorithm>

#include "windows.h"

namespace qxfm {

ImageFilesBefore::ImageFilesBefore(const CString& folder, const CString& name)
    : m_folder(folder), m_name(name), m_before(Current()) {}

std::vector<CString> ImageFilesBefore::Current() const {
    std::vector<CString> found;
    for (const CString& pattern : {m_folder + m_name + u".wim", m_folder + m_name + u"*.swm"}) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(pattern, &data);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(m_folder + data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return found;
}

void ImageFilesBefore::RemoveNewOnes() const {
    for (const CString& file : Current()) {
        const bool old = std::any_of(m_before.begin(), m_before.end(),
                                     [&](const CString& b) { return b.CompareNoCase(file) == 0; });
        if (!old) {
            SetFileAttributesW(file, FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(file);
        }
    }
}

}  // namespace qxfm
