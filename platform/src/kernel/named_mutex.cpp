// Named mutexes. Each handle of a named mutex holds its own open file
// description of the object's file with a shared flock; the object exists while
// anyone holds such a lock, and the kernel drops the locks of a process that
// ends or crashes. Creating and closing run under an exclusive guard lock so
// that "test for existence and join" and "leave and remove" are atomic across
// processes.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <new>
#include <thread>

#include "handles.h"
#include "object_namespace.h"
#include "qxplatform.h"

namespace {

int LockRetrying(int fd, int operation) {
    int rc;
    do rc = flock(fd, operation);
    while (rc != 0 && errno == EINTR);
    return rc;
}

// The exclusive guard over all named objects of this user.
class GuardLock {
public:
    GuardLock() {
        std::string root = QxObjectRootDir();
        if (!QxEnsurePrivateDir(root)) return;
        m_fd = open((root + "/guard").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd >= 0 && LockRetrying(m_fd, LOCK_EX) != 0) {
            int err = errno;
            close(m_fd);
            m_fd = -1;
            errno = err;
        }
    }
    ~GuardLock() {
        if (m_fd >= 0) close(m_fd);
    }
    GuardLock(const GuardLock&) = delete;
    GuardLock& operator=(const GuardLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

class MutexHandle : public QxHandle {
public:
    MutexHandle(std::string nsDir, std::string path, int fd)
        : m_nsDir(std::move(nsDir)), m_path(std::move(path)), m_fd(fd), m_process(getpid()) {}

    void TakeInitialOwnership() {
        std::lock_guard<std::mutex> lock(m_ownerLock);
        m_owner = std::this_thread::get_id();
        m_ownCount = 1;
    }

    // False when the calling thread does not own the mutex.
    bool Release() {
        std::lock_guard<std::mutex> lock(m_ownerLock);
        if (m_ownCount == 0 || m_owner != std::this_thread::get_id()) return false;
        --m_ownCount;
        return true;
    }

    bool Close() override {
        if (m_fd < 0) return true;
        if (getpid() != m_process) {
            // A copy inherited through fork shares the parent's lock: leave that alone.
            close(m_fd);
            m_fd = -1;
            return true;
        }
        GuardLock guard;
        // The last holder removes the object's file (and the namespace folder once empty).
        if (guard.Held() && LockRetrying(m_fd, LOCK_EX | LOCK_NB) == 0) {
            unlink(m_path.c_str());
            rmdir(m_nsDir.c_str());
        }
        close(m_fd);
        m_fd = -1;
        return true;
    }

private:
    std::string m_nsDir;
    std::string m_path;  // empty for an unnamed mutex
    int m_fd = -1;
    pid_t m_process;  // the process that opened the object
    std::mutex m_ownerLock;
    std::thread::id m_owner;
    unsigned m_ownCount = 0;
};

// Opens the object's file and joins it; *existed tells whether another holder
// had it before. Returns the descriptor, or -1 with errno set.
int JoinNamedObject(const std::string& nsDir, const std::string& path, bool* existed) {
    GuardLock guard;
    if (!guard.Held() || !QxEnsurePrivateDir(nsDir)) return -1;
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    if (LockRetrying(fd, LOCK_EX | LOCK_NB) == 0) {
        *existed = false;
    } else if (errno == EWOULDBLOCK) {
        *existed = true;
    } else {
        int err = errno;
        close(fd);
        errno = err;
        return -1;
    }
    if (LockRetrying(fd, LOCK_SH | LOCK_NB) != 0) {
        int err = errno;
        close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

size_t NameLength(LPCWSTR name) {
    size_t n = 0;
    while (name[n] && n <= MAX_PATH) ++n;
    return n;
}

}  // namespace

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName) {
    try {
        MutexHandle* handle = nullptr;
        bool existed = false;
        if (!lpName || !*lpName) {
            handle = new MutexHandle("", "", -1);
        } else {
            if (NameLength(lpName) > MAX_PATH) {
                SetLastError(ERROR_FILENAME_EXCED_RANGE);
                return nullptr;
            }
            std::string nsDir = QxObjectNamespaceDir();
            std::string path = nsDir + "/mutex-" + QxObjectFileComponent(CString(lpName).ToUtf8());
            int fd = JoinNamedObject(nsDir, path, &existed);
            if (fd < 0) {
                QxSetLastErrorFromErrno(errno);
                return nullptr;
            }
            handle = new (std::nothrow) MutexHandle(nsDir, path, fd);
            if (!handle) {
                close(fd);
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return nullptr;
            }
        }
        if (bInitialOwner && !existed) handle->TakeInitialOwnership();
        SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        return static_cast<QxHandle*>(handle);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL ReleaseMutex(HANDLE hMutex) {
    auto* mutex = dynamic_cast<MutexHandle*>(QxHandleFrom(hMutex));
    if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mutex->Release()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}
