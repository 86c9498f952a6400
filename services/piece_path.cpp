#include "services/piece_path.h"

CString PiecePath(const CString& path, ULONGLONG number) {
    CString piece;
    piece.Format(u"%s.%03llu", path.GetString(), number);
    return piece;
}

bool IsPiecePath(const CString& path) {
    const int dot = path.ReverseFind(u'.');
    const int digits = path.GetLength() - dot - 1;
    if (dot <= 0 || digits < 3 || path[dot - 1] == u'\\') return false;
    for (int i = dot + 1; i < path.GetLength(); ++i)
        if (path[i] < u'0' || path[i] > u'9') return false;
    return true;
}
