#include "backup_images.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <map>

namespace qxfm {
namespace {

struct PartHeader {
    CString path;
    WIM_INFO info;
};

bool ReadHeader(const CString& path, WIM_INFO* info) {
    HANDLE file = WIMCreateFile(path, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    if (!file) return false;
    const bool ok = WIMGetAttributes(file, info, sizeof *info) != FALSE;
    WIMCloseHandle(file);
    return ok;
}

std::vector<CString> FilesMatching(const CString& pattern, const CString& folder) {
    std::vector<CString> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(folder + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(found.begin(), found.end());
    return found;
}

// "C: DOCUMENTS" -> drive "C:", category "DOCUMENTS".
ImageName NameOf(DWORD index, const CString& stored) {
    ImageName name;
    name.index = index;
    name.text = stored;
    if (stored.GetLength() >= 3 && stored[1] == u':' && stored[2] == u' ') {
        name.drive = stored.Left(2);
        name.category = stored.Mid(3);
    }
    if (name.text.IsEmpty()) name.text.Format(u"image %u", index);
    return name;
}

}  // namespace

std::vector<ImageSet> FindImageSets(const CString& folder, std::vector<CString>* unreadable) {
    const CString base = folder.IsEmpty() || folder[folder.GetLength() - 1] == u'\\' ? folder : folder + u"\\";
    std::map<std::string, std::vector<PartHeader>> byGuid;
    for (const CString& pattern : {base + u"*.wim", base + u"*.swm"}) {
        for (const CString& path : FilesMatching(pattern, base)) {
            PartHeader part{path, {}};
            if (!ReadHeader(path, &part.info)) {
                unreadable->push_back(path);
                continue;
            }
            byGuid[std::string(reinterpret_cast<const char*>(part.info.Guid), sizeof part.info.Guid)].push_back(part);
        }
    }
    std::vector<ImageSet> sets;
    for (auto& [guid, parts] : byGuid) {
        std::sort(parts.begin(), parts.end(),
                  [](const PartHeader& a, const PartHeader& b) { return a.info.PartNumber < b.info.PartNumber; });
        ImageSet set;
        set.totalParts = parts.front().info.TotalParts;
        for (const PartHeader& part : parts) {
            set.parts.push_back(part.path);
            set.partNumbers.push_back(part.info.PartNumber);
        }
        sets.push_back(set);
    }
    return sets;
}

std::vector<CString> MissingParts(const ImageSet& set) {
    std::vector<CString> missing;
    if (set.parts.empty()) return missing;
    // The name stem of the set: a part's path without its extension and, past the first part, its number.
    CString stem = set.parts.front().Left(set.parts.front().ReverseFind(u'.'));
    const CString number = CString::FromUtf8(std::to_string(set.partNumbers.front()));
    if (set.partNumbers.front() > 1 && stem.Right(number.GetLength()) == number)
        stem = stem.Left(stem.GetLength() - number.GetLength());
    for (unsigned n = 1; n <= set.totalParts; ++n)
        if (std::find(set.partNumbers.begin(), set.partNumbers.end(), n) == set.partNumbers.end())
            missing.push_back(stem + (n == 1 ? CString() : CString::FromUtf8(std::to_string(n))) + u".swm");
    return missing;
}

OpenedImageSet::OpenedImageSet(const ImageSet& set, FARPROC_WIM_CALLBACK callback, void* user)
    : m_callback(callback) {
    m_file = WIMCreateFile(set.parts.front(), WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    if (!m_file) {
        m_error = GetLastError();
        return;
    }
    for (size_t i = 1; i < set.parts.size(); ++i) WIMSetReferenceFile(m_file, set.parts[i], WIM_REFERENCE_APPEND);
    if (callback) WIMRegisterMessageCallback(m_file, callback, user);
}

OpenedImageSet::~OpenedImageSet() {
    if (!m_file) return;
    if (m_callback) WIMUnregisterMessageCallback(m_file, m_callback);
    WIMCloseHandle(m_file);
}

std::vector<ImageName> OpenedImageSet::Images() const {
    std::vector<ImageName> images;
    WIM_INFO info{};
    if (!m_file || !WIMGetAttributes(m_file, &info, sizeof info)) return images;
    for (DWORD index = 1; index <= info.ImageCount; ++index) {
        CString stored, description;
        HANDLE image = WIMLoadImage(m_file, index);
        PVOID xml = nullptr;
        DWORD bytes = 0;
        if (image && WIMGetImageInformation(image, &xml, &bytes)) {
            const auto* units = static_cast<const WCHAR*>(xml);
            const CString info(units + 1, static_cast<int>(bytes / sizeof(WCHAR)) - 1);
            stored = QxImageInfoElement(info, u"NAME");
            description = QxImageInfoElement(info, u"DESCRIPTION");
            LocalFree(xml);
        }
        if (image) WIMCloseHandle(image);
        images.push_back(NameOf(index, stored));
        images.back().description = description;
    }
    return images;
}

bool OpenedImageSet::Read(const ImageName& image, DWORD flags) {
    HANDLE loaded = m_file ? WIMLoadImage(m_file, image.index) : nullptr;
    bool ok = loaded && WIMApplyImage(loaded, image.drive.IsEmpty() ? CString() : image.drive + u"\\",
                                      WIM_FLAG_NO_APPLY | flags);
    m_error = ok ? 0 : GetLastError();
    if (loaded) WIMCloseHandle(loaded);
    return ok;
}

}  // namespace qxfm
