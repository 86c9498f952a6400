#include "apply_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_info.h"

QxApplyTarget::QxApplyTarget(std::string hostPath) : m_path(std::move(hostPath)) {
    struct stat st;
    QxFileInfo info;
    m_existed = lstat(m_path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && QxQueryFileInfo(AT_FDCWD, m_path.c_str(), info);
    if (!m_existed) return;
    m_uid = st.st_uid;
    m_gid = st.st_gid;
    m_mode = st.st_mode & 07777;
    m_dosBits = info.attributes & kQxDosBitsMask;
}

void QxApplyTarget::Restore() const {
    struct stat st;
    QxFileInfo info;
    if (!m_existed || lstat(m_path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    if (st.st_uid != m_uid || st.st_gid != m_gid) (void)lchown(m_path.c_str(), m_uid, m_gid);
    if ((st.st_mode & 07777) != m_mode) (void)chmod(m_path.c_str(), m_mode);
    if (QxQueryFileInfo(AT_FDCWD, m_path.c_str(), info) && (info.attributes & kQxDosBitsMask) != m_dosBits)
        QxWriteDosBits(m_path, m_dosBits);
}
