#include "wimgapi_messages.h"

#include <algorithm>

#include "wimgapi_callbacks.h"

CString JoinWindowsPath(const CString& base, const HostChar* relative) {
    return ScannedPaths(base).Join(relative);
}

ScannedPaths::ScannedPaths(const CString& base) : m_base(base.str()) {
    if (m_base.empty() || m_base.back() != u'\\') m_base += u'\\';
}

const WCHAR* ScannedPaths::Join(const HostChar* relative) {
    while (IsHostSeparator(*relative)) ++relative;
    const HostChar* leaf = relative;
    for (const HostChar* at = relative; *at; ++at)
        if (IsHostSeparator(*at)) leaf = at + 1;
    const HostStringView folder(relative, static_cast<size_t>(leaf - relative));
    if (m_folderPath.empty() || folder != m_folder) {
        m_folder.assign(folder);
        m_folderPath = m_base;
        m_folderPath += FromHostText(m_folder.c_str()).str();
        std::replace(m_folderPath.begin() + static_cast<std::ptrdiff_t>(m_base.size()), m_folderPath.end(), u'/',
                     u'\\');
    }
    m_leaf = leaf;
    m_path = m_folderPath;
    m_path += FromHostText(leaf).str();
    return m_path.c_str();
}

bool ScannedPaths::Storable() const { return IsStorableName(m_folder.c_str()) && (!m_leaf || IsStorableName(m_leaf)); }

DWORD ProgressReporter::Report(unsigned long long done, unsigned long long total) {
    UINT percent = total == 0 || done >= total ? 100 : static_cast<UINT>(done * 100 / total);
    if (percent == m_last) return WIM_MSG_SUCCESS;
    m_last = percent;
    return SendWimMessage(m_fileHandle, WIM_MSG_PROGRESS, percent, 0);
}
