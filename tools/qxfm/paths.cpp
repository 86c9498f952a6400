#include "paths.h"

#include "windows.h"

namespace qxfm {

CString AsFolder(const CString& path) {
    if (path.IsEmpty() || path[path.GetLength() - 1] == u'\\') return path;
    return path + u"\\";
}

bool FullWindowsPath(const std::string& arg, CString* out, std::string* error) {
    const CString path = CString::FromUtf8(arg);
    DWORD size = GetFullPathNameW(path, 0, nullptr, nullptr);
    std::u16string full(size, u'\0');
    if (size) size = GetFullPathNameW(path, size, full.data(), nullptr);
    if (!size || size >= full.size()) {
        *error = arg + " is not a valid path";
        return false;
    }
    *out = CString(full.data(), static_cast<int>(size));
    while (out->GetLength() > 3 && (*out)[out->GetLength() - 1] == u'\\') *out = out->Left(out->GetLength() - 1);
    return true;
}

bool HasCatalog(const CString& folder) {
    const DWORD attributes = GetFileAttributesW(AsFolder(folder) + u"Tarvolen.fbu");
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace qxfm

namespace qxfm {

ULONGLONG FileBytes(const CString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace qxfm
