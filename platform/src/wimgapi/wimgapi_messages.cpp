#include "wimgapi_messages.h"

#include <algorithm>

#include "wimgapi_callbacks.h"

CString JoinWindowsPath(const CString& base, const HostChar* relative) {
    while (IsHostSeparator(*relative)) ++relative;
    std::u16string path = base.str();
    if (path.empty() || path.back() != u'\\') path += u'\\';
    const size_t relativeAt = path.size();
    path += FromHostText(relative).str();
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(relativeAt), path.end(), u'/', u'\\');
    return CString(std::move(path));
}

DWORD ProgressReporter::Report(unsigned long long done, unsigned long long total) {
    UINT percent = total == 0 || done >= total ? 100 : static_cast<UINT>(done * 100 / total);
    if (percent == m_last) return WIM_MSG_SUCCESS;
    m_last = percent;
    return SendWimMessage(m_fileHandle, WIM_MSG_PROGRESS, percent, 0);
}
