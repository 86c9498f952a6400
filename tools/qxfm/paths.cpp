#include "paths.h"

#include <cctype>
#include <filesystem>

#include "qxplatform.h"
#include "windows.h"

namespace qxfm {

bool ToWindowsPath(const std::string& arg, CString* out, std::string* error) {
    if (arg.size() >= 2 && std::isalpha(static_cast<unsigned char>(arg[0])) && arg[1] == ':') {
        *out = CString::FromUtf8(arg);
        return true;
    }
    std::error_code ec;
    std::filesystem::path host = std::filesystem::absolute(arg, ec).lexically_normal();
    std::string text = host.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    *out = QxFromHostPath(text);
    if (out->IsEmpty()) {
        *error = arg + " is on none of the drives (see QXFM_DRIVES)";
        return false;
    }
    return true;
}

CString AsFolder(const CString& path) {
    if (path.IsEmpty() || path[path.GetLength() - 1] == u'\\') return path;
    return path + u"\\";
}

bool HasCatalog(const CString& folder) {
    const DWORD attributes = GetFileAttributesW(AsFolder(folder) + u"Tarvolen.fbu");
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace qxfm
