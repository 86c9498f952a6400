// Named mutexes: existence across handles, processes and namespaces, and the
// disappearance of the object with its last holder, also a killed one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "qxplatform.h"
#include "testhost.h"

namespace {

constexpr const char* kHolderVariable = "QXFM_TEST_MUTEX_HOLDER";

// Run as a child (this program re-executed with kHolderVariable set): creates
// the named mutex, writes "1" when it already existed or "0", holds it until
// stdin closes, then closes it.
struct HolderMode {
    HolderMode() {
        const char* name = getenv(kHolderVariable);
        if (!name) return;
        HANDLE h = CreateMutexW(nullptr, FALSE, CString::FromUtf8(name));
        char answer = !h ? 'E' : GetLastError() == ERROR_ALREADY_EXISTS ? '1' : '0';
        if (write(STDOUT_FILENO, &answer, 1) != 1) _exit(2);
        char ch;
        while (read(STDIN_FILENO, &ch, 1) > 0) {
        }
        if (h) CloseHandle(h);
        _exit(0);
    }
} g_holderMode;

// A child process that holds a named mutex.
class Holder {
public:
    explicit Holder(const std::string& name, const char* ns = nullptr) {
        int toChild[2], fromChild[2];
        if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        m_pid = fork();
        if (m_pid == 0) {
            dup2(toChild[0], STDIN_FILENO);
            dup2(fromChild[1], STDOUT_FILENO);
            setenv(kHolderVariable, name.c_str(), 1);
            if (ns) setenv("QXFM_NAMESPACE", ns, 1);
            execl("/proc/self/exe", "holder", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        m_toChild = toChild[1];
        m_fromChild = fromChild[0];
        char answer = 0;
        if (read(m_fromChild, &answer, 1) != 1) answer = 'X';
        m_answer = answer;
    }
    ~Holder() { Finish(); }
    // The child's view when it created the mutex: '1' existed, '0' new.
    char Answer() const { return m_answer; }
    // Lets the child close its handle and exit normally.
    void Finish() { Stop(0); }
    void Kill() { Stop(SIGKILL); }

private:
    void Stop(int signal) {
        if (m_pid <= 0) return;
        if (signal) kill(m_pid, signal);
        close(m_toChild);
        close(m_fromChild);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    pid_t m_pid = -1;
    int m_toChild = -1, m_fromChild = -1;
    char m_answer = 0;
};

// Creates the mutex, returns whether it already existed, closes it again.
bool Exists(LPCWSTR name) {
    HANDLE h = CreateMutexW(nullptr, FALSE, name);
    EXPECT_NE(h, nullptr);
    bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(h);
    return existed;
}

bool DirExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(NamedMutex, ExistsWhileAnyHandleOfThisProcessIsOpen) {
    HANDLE first = CreateMutexW(nullptr, FALSE, u"Mutex_Operation");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE second = CreateMutexW(nullptr, FALSE, u"Mutex_Operation");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(Exists(u"Mutex_Operation"));  // the second handle keeps it
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_FALSE(Exists(u"Mutex_Operation"));
    EXPECT_FALSE(Exists(u"mutex_operation"));  // object names are case-sensitive
    // The last close leaves nothing behind.
    EXPECT_FALSE(DirExists(QxObjectNamespaceDir()));
}

TEST(NamedMutex, HeldByAnotherProcess) {
    {
        Holder child("Mutex_Operation");
        ASSERT_EQ(child.Answer(), '0');
        EXPECT_TRUE(Exists(u"Mutex_Operation"));
        child.Finish();
        EXPECT_FALSE(Exists(u"Mutex_Operation"));
    }
    HANDLE mine = CreateMutexW(nullptr, FALSE, u"Mutex_Operation");
    ASSERT_NE(mine, nullptr);
    Holder child("Mutex_Operation");
    EXPECT_EQ(child.Answer(), '1');
    CloseHandle(mine);
}

TEST(NamedMutex, VanishesWhenTheHolderIsKilled) {
    Holder child("Mutex_Operation");
    ASSERT_EQ(child.Answer(), '0');
    EXPECT_TRUE(Exists(u"Mutex_Operation"));
    child.Kill();
    EXPECT_FALSE(Exists(u"Mutex_Operation"));
    // The file the killed holder left is taken over and removed normally.
    EXPECT_FALSE(DirExists(QxObjectNamespaceDir()));
}

TEST(NamedMutex, ClosingACopyInheritedThroughForkKeepsTheObject) {
    HANDLE mine = CreateMutexW(nullptr, FALSE, u"Mutex_Operation");
    ASSERT_NE(mine, nullptr);
    pid_t pid = fork();
    if (pid == 0) _exit(CloseHandle(mine) ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Exists(u"Mutex_Operation"));
    CloseHandle(mine);
    EXPECT_FALSE(Exists(u"Mutex_Operation"));
}

TEST(NamedMutex, NamespacesKeepApart) {
    std::string other = std::string(getenv("QXFM_NAMESPACE")) + "-other";
    Holder child("Mutex_Operation", other.c_str());
    ASSERT_EQ(child.Answer(), '0');
    EXPECT_FALSE(Exists(u"Mutex_Operation"));
}

TEST(NamedMutex, NamespaceAndObjectNamesBecomeSafeFileNames) {
    std::string saved = getenv("QXFM_NAMESPACE");
    std::string root = QxObjectNamespaceDir().substr(0, QxObjectNamespaceDir().rfind('/'));
    for (const char* ns : {"../../etc", "a/b", ".", ""}) {
        setenv("QXFM_NAMESPACE", ns, 1);
        std::string dir = QxObjectNamespaceDir();
        EXPECT_EQ(dir.rfind('/'), root.size()) << ns;
        EXPECT_EQ(dir.compare(0, root.size(), root), 0) << ns;
    }
    setenv("QXFM_NAMESPACE", "", 1);
    EXPECT_EQ(QxObjectNamespaceDir(), root + "/ns-default");
    setenv("QXFM_NAMESPACE", saved.c_str(), 1);

    // Names with separators and escapes stay distinct objects.
    HANDLE slash = CreateMutexW(nullptr, FALSE, u"..\\a/b");
    ASSERT_NE(slash, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_FALSE(Exists(u"..\\a%2Fb"));
    EXPECT_FALSE(Exists(u"\u00e9\u4e2d"));
    CloseHandle(slash);

    // Long names are hashed; over-long ones are refused as on Windows.
    CString longName(u'\u4e2d', MAX_PATH);
    HANDLE h = CreateMutexW(nullptr, FALSE, longName);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(Exists(longName));
    EXPECT_FALSE(Exists(CString(u'\u4e2d', MAX_PATH - 1)));
    CloseHandle(h);
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, longName + u"x"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST(NamedMutex, ReleaseNeedsOwnership) {
    HANDLE notOwned = CreateMutexW(nullptr, FALSE, u"Mutex_Operation");
    ASSERT_NE(notOwned, nullptr);
    EXPECT_FALSE(ReleaseMutex(notOwned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_TRUE(CloseHandle(notOwned));

    HANDLE owned = CreateMutexW(nullptr, TRUE, u"Mutex_Operation");
    ASSERT_NE(owned, nullptr);
    EXPECT_TRUE(ReleaseMutex(owned));
    EXPECT_FALSE(ReleaseMutex(owned));
    EXPECT_TRUE(CloseHandle(owned));

    EXPECT_FALSE(ReleaseMutex(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(NamedMutex, UnnamedMutexesNeverExist) {
    HANDLE a = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE b = CreateMutexW(nullptr, FALSE, u"");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(CloseHandle(a));
    EXPECT_TRUE(CloseHandle(b));
}

}  // namespace
