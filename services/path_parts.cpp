#include "services/path_parts.h"

#include <string>

PathParts SplitPath(const CString& path) {
    PathParts parts;
    int start = 0;
    if (path.GetLength() >= 2 && path[1] == u':') {
        parts.drive = path.Left(2);
        start = 2;
    }
    int lastSep = -1;
    for (int i = path.GetLength() - 1; i >= start; --i)
        if (IsPathSeparator(path[i])) {
            lastSep = i;
            break;
        }
    int nameStart = start;
    if (lastSep >= 0) {
        parts.dir = path.Mid(start, lastSep + 1 - start);
        nameStart = lastSep + 1;
    }
    CString name = path.Mid(nameStart);
    int dot = name.ReverseFind(u'.');
    if (dot >= 0) {
        parts.fname = name.Left(dot);
        parts.ext = name.Mid(dot);
    } else {
        parts.fname = name;
    }
    return parts;
}

CString ExtensionOf(const CString& path) {
    CString ext = SplitPath(path).ext;
    ext.TrimLeft(u'.');
    return ext;
}

CString DriveRootOf(const CString& path) {
    CString drive = SplitPath(path).drive;
    if (drive.IsEmpty()) return drive;
    return drive.MakeUpper() + u"\\";
}

bool IsDotsOnlyName(const CString& name) {
    if (name.IsEmpty()) return false;
    for (int i = 0; i < name.GetLength(); ++i)
        if (name[i] != u'.' && name[i] != u' ') return false;
    return true;
}

std::vector<CString> PathComponents(const CString& path, const WCHAR* separators) {
    std::vector<CString> parts;
    for (int at = 0;;) {
        CString part = path.Tokenize(separators, at);
        if (at < 0) return parts;
        parts.push_back(part);
    }
}

CString WithBackslash(CString folder) {
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != u'\\') folder += u'\\';
    return folder;
}

CString WithLongPathPrefix(const CString& path) {
    return path.Find(u"\\\\?\\") >= 0 ? path : CString(u"\\\\?\\") + path;
}

CString FullPathOf(const CString& path) {
    const DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (needed == 0) return CString();
    std::u16string buffer(needed, u'\0');
    const DWORD length = GetFullPathNameW(path, needed, &buffer[0], nullptr);
    if (length == 0 || length >= needed) return CString();
    buffer.resize(length);
    return CString(std::move(buffer));
}

CString WithoutLongPathPrefix(const CString& path) {
    return path.Find(u"\\\\?\\") == 0 ? path.Mid(4) : path;
}

CString NormalFullPathOf(const CString& path) { return FullPathOf(WithoutLongPathPrefix(path)); }
