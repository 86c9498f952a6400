#include "wimgapi_messages.h"

#include "wimgapi_callbacks.h"

CString JoinWindowsPath(const CString& base, const char* relativeUtf8) {
    while (*relativeUtf8 == '/') ++relativeUtf8;
    CString path = base;
    if (path.IsEmpty() || path[path.GetLength() - 1] != u'\\') path += u'\\';
    CString relative = CString::FromUtf8(relativeUtf8);
    relative.Replace(u'/', u'\\');
    return path + relative;
}

DWORD ProgressReporter::Report(unsigned long long done, unsigned long long total) {
    UINT percent = total == 0 || done >= total ? 100 : static_cast<UINT>(done * 100 / total);
    if (percent == m_last) return WIM_MSG_SUCCESS;
    m_last = percent;
    return SendWimMessage(m_fileHandle, WIM_MSG_PROGRESS, percent, 0);
}
