#include "paths.h"

#include "windows.h"

namespace qxfm {

CString AsFolder(const CString& path) {
    if (path.IsEmpty() || path[path.GetLength() - 1] == u'\\') return path;
    return path + u"\\";
}

bool HasCatalog(const CString& folder) {
    const DWORD attributes = GetFileAttributesW(AsFolder(folder) + u"Tarvolen.fbu");
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace qxfm
