// The second process is the lock holder program beside the test programs,
// talking through two pipes: its stdout says whether it holds the lock, and
// closing its stdin lets it go.
#include <stdexcept>
#include <string>

#include "beside_program.h"
#include "testhost.h"
#include "windows.h"

namespace qxtest {

struct OtherProcessLock::Child {
    HANDLE process = nullptr;
    HANDLE release = nullptr;  // write end of the child's stdin
};

OtherProcessLock::OtherProcessLock() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE toChildRead, toChildWrite, fromChildRead, fromChildWrite;
    if (!CreatePipe(&toChildRead, &toChildWrite, &inherit, 0)) throw std::runtime_error("CreatePipe failed");
    if (!CreatePipe(&fromChildRead, &fromChildWrite, &inherit, 0)) throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(toChildWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(fromChildRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = toChildRead;
    startup.hStdOutput = fromChildWrite;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    const CString program = BesideProgram(QXFM_LOCK_HOLDER_PATH);
    std::u16string commandLine = u"\"" + std::u16string(static_cast<const WCHAR*>(program)) + u"\"";
    const BOOL started = CreateProcessW(program, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &info);
    CloseHandle(toChildRead);
    CloseHandle(fromChildWrite);
    if (!started) {
        CloseHandle(toChildWrite);
        CloseHandle(fromChildRead);
        throw std::runtime_error("cannot start " + program.ToUtf8());
    }
    CloseHandle(info.hThread);
    m_child.reset(new Child{info.hProcess, toChildWrite});
    char held = 0;
    DWORD n = 0;
    m_holding = ReadFile(fromChildRead, &held, 1, &n, nullptr) && n == 1 && held == '1';
    CloseHandle(fromChildRead);
}

OtherProcessLock::~OtherProcessLock() { Stop(); }

void OtherProcessLock::Stop() {
    if (!m_child) return;
    CloseHandle(m_child->release);  // the child reads end of file and lets go
    WaitForSingleObject(m_child->process, INFINITE);
    CloseHandle(m_child->process);
    m_child.reset();
    m_holding = false;
}

}  // namespace qxtest
