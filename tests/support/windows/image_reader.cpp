// The image files as the loaded WIMGAPI reads them: Windows has no
// wimlib-imagex, and the engine under test is the only reader at hand.
#include <algorithm>

#include "image_reader.h"
#include "wimgapi.h"

namespace qxtest {
namespace {

struct Listing {
    std::string lines = "/\n";
};

DWORD CALLBACK ListItem(DWORD id, WPARAM wParam, LPARAM, PVOID context) {
    if (id != WIM_MSG_PROCESS) return WIM_MSG_SUCCESS;
    std::string path = CString(reinterpret_cast<const WCHAR*>(wParam)).ToUtf8();
    std::replace(path.begin(), path.end(), '\\', '/');
    static_cast<Listing*>(context)->lines += path + "\n";
    return WIM_MSG_SUCCESS;
}

// The file opened for reading with the parts the pattern finds; null on failure.
HANDLE OpenWithParts(const std::string& hostWim, const std::string& refs) {
    const CString wim = CString::FromUtf8(hostWim);
    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    if (!file || refs.empty()) return file;
    const CString pattern = CString::FromUtf8(refs);
    const CString folder = pattern.Left(pattern.ReverseFind(u'\\') + 1);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(pattern, &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
        const CString part = folder + found.cFileName;
        if (part.CompareNoCase(wim) != 0) WIMSetReferenceFile(file, part, WIM_REFERENCE_APPEND);
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return file;
}

// Reads an image without writing anything, with the given flags; the
// listing's callback takes the file's messages when given.
bool ReadImage(HANDLE file, int image, DWORD flags, Listing* listing) {
    if (listing) WIMRegisterMessageCallback(file, ListItem, listing);
    HANDLE loaded = WIMLoadImage(file, static_cast<DWORD>(image));
    const bool ok = loaded && WIMApplyImage(loaded, u"", WIM_FLAG_NO_APPLY | flags);
    if (loaded) WIMCloseHandle(loaded);
    if (listing) WIMUnregisterMessageCallback(file, ListItem);
    return ok;
}

}  // namespace

int ImageCountOf(const std::string& hostWim) {
    HANDLE file = OpenWithParts(hostWim, "");
    if (!file) return -1;
    WIM_INFO info{};
    const bool ok = WIMGetAttributes(file, &info, sizeof info);
    WIMCloseHandle(file);
    return ok ? static_cast<int>(info.ImageCount) : -1;
}

bool Verifies(const std::string& hostWim, const std::string& refs) {
    const int count = ImageCountOf(hostWim);
    HANDLE file = OpenWithParts(hostWim, refs);
    if (!file) return false;
    bool ok = count > 0;
    for (int image = 1; ok && image <= count; ++image) ok = ReadImage(file, image, WIM_FLAG_VERIFY, nullptr);
    WIMCloseHandle(file);
    return ok;
}

std::string ListingOf(const std::string& hostWim, int image, const std::string& refs) {
    HANDLE file = OpenWithParts(hostWim, refs);
    if (!file) return std::string();
    Listing listing;
    const bool ok = ReadImage(file, image, 0, &listing);
    WIMCloseHandle(file);
    return ok ? listing.lines : std::string();
}

}  // namespace qxtest
