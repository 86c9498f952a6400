// The second process is a fork of the test program.
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "services/operation_lock.h"
#include "testhost.h"

namespace qxtest {

struct OtherProcessLock::Child {
    pid_t pid = -1;
    int release = -1;  // write end of the pipe the child waits on
};

OtherProcessLock::OtherProcessLock() {
    int ready[2], release[2];
    if (pipe(ready) != 0) throw std::runtime_error("pipe failed");
    if (pipe(release) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(ready[0]);
        close(release[1]);
        OperationLock lock;
        const char held = lock.Acquire() ? 1 : 0;
        if (write(ready[1], &held, 1) != 1) _exit(1);
        char ignored;
        if (read(release[0], &ignored, 1) < 0) _exit(1);
        lock.Release();
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    m_child.reset(new Child{pid, release[1]});
    char held = 0;
    m_holding = read(ready[0], &held, 1) == 1 && held == 1;
    close(ready[0]);
}

OtherProcessLock::~OtherProcessLock() { Stop(); }

void OtherProcessLock::Stop() {
    if (!m_child) return;
    close(m_child->release);  // the child reads end of file and lets go
    waitpid(m_child->pid, nullptr, 0);
    m_child.reset();
    m_holding = false;
}

}  // namespace qxtest
