#include "catalog/image_files.h"

#include "services/path_parts.h"

std::vector<CString> ImageFilesIn(const CString& folder, const std::vector<CString>& stored) {
    std::vector<CString> files;
    for (const CString& path : stored) {
        PathParts parts = SplitPath(path);
        files.push_back(WithBackslash(folder) + parts.fname + parts.ext);
    }
    return files;
}
