#include "apply_target.h"

QxApplyTarget::QxApplyTarget(HostString hostPath) : m_path(std::move(hostPath)) {
    m_attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(m_path.c_str()));
    m_existed = m_attributes != INVALID_FILE_ATTRIBUTES && (m_attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void QxApplyTarget::Restore() const {
    if (!m_existed) return;
    const DWORD now = GetFileAttributesW(reinterpret_cast<LPCWSTR>(m_path.c_str()));
    if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY) && now != m_attributes)
        SetFileAttributesW(reinterpret_cast<LPCWSTR>(m_path.c_str()), m_attributes);
}
