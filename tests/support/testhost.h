// Test support: a temporary folder tree used as drives, a host window that
// collects the module's notifications, and the module loaded as a host loads it.
#pragma once

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "api/qxfilemgr.h"
#include "qxplatform.h"

// GoogleTest shows CString values as their text.
inline void PrintTo(const CString& s, std::ostream* os) { *os << '"' << s.ToUtf8() << '"'; }

namespace qxtest {

// A temporary folder below /tmp, removed with everything in it at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    // Host path of a relative name inside the folder.
    std::string operator/(const std::string& rel) const { return m_path + "/" + rel; }

private:
    std::string m_path;
};

// Host file helpers (they bypass the platform layer on purpose).
void WriteHostFile(const std::string& hostPath, const std::string& content);
std::string ReadHostFile(const std::string& hostPath);
bool HostExists(const std::string& hostPath);
// A UTF-16 LE file (with or without BOM) decoded into lines, CR LF removed.
std::vector<CString> ReadUtf16Lines(const std::string& hostPath, bool* hadBom = nullptr, bool* crlf = nullptr);

// A tmpfs of the given size ("64k") mounted on an existing host folder for one
// test (needs root), unmounted at destruction, so also when the test fails.
class TmpfsMount {
public:
    TmpfsMount(const std::string& hostFolder, const std::string& size);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    bool mounted() const { return m_mounted; }

private:
    std::string m_folder;
    bool m_mounted = false;
};

// Runs a shell command and returns what it printed (stdout and stderr).
std::string RunCommand(const std::string& command, int* status = nullptr);
// Host paths of the regular files below root whose names end in suffix (all when empty).
std::vector<std::string> FilesBelow(const std::string& root, const std::string& suffix = "");
// Every file and folder below root, by relative path, with its bytes and last-write time.
std::map<std::string, std::string> TreeState(const std::string& root);

// Drives for one test: each letter gets a folder inside a temporary tree and the
// platform's drive table is set to them; the current directory moves to a
// fresh work folder so the module's relative files stay inside the test.
class TestDrives {
public:
    // drives: entries "C", "D,removable", "E,fixed,active" ... (letter and options
    // of the drive table syntax without the host folder).
    explicit TestDrives(const std::vector<std::string>& drives = {"C"});
    ~TestDrives();
    // Host folder of a drive letter.
    std::string Root(char letter) const;
    // Host path for a Windows path on one of the drives (C:\a\b -> <root>/a/b).
    std::string Host(const CString& winPath) const;
    // Writes a file given by its Windows path, creating folders.
    void Write(const CString& winPath, const std::string& content) const;
    const std::string& WorkDir() const { return m_work; }

private:
    TempDir m_tmp;
    std::string m_work;
    std::string m_oldCwd;
    std::vector<std::pair<char, std::string>> m_roots;
};

// One notification as the host saw it; strings were copied and freed.
struct Posted {
    UINT message = 0;
    long long wParam = 0;  // code or percent (sign-extended)
    long long lParam = 0;
    CString text;          // BSTR payload (ProgressStr wParam, or string lParam), or constant text of a wParam
    bool hasText = false;
};

// A message-only window and the module's four registered message ids.
class HostWindow {
public:
    HostWindow();
    ~HostWindow();
    HWND* handle() { return &m_hwnd; }
    // Removes every queued message, decoding and freeing the string payloads.
    std::vector<Posted> Drain();

    UINT progressInt, progressStr, operationStr, errorStr;

private:
    HWND m_hwnd = nullptr;
};

// Filters of a drained list.
std::vector<long long> Codes(const std::vector<Posted>& posted, UINT message);
bool HasCode(const std::vector<Posted>& posted, UINT message, long long code);

// The module, loaded with dlopen from the build tree and reached only through
// its plain export names.
struct Module : QxfmEntryPoints {
    Module();
    ~Module();
    void* handle = nullptr;
};

// A second process that holds the operation lock "Mutex_Operation" (in this
// test's object namespace) until Stop() or destruction.
class OtherProcessLock {
public:
    OtherProcessLock();
    ~OtherProcessLock();
    OtherProcessLock(const OtherProcessLock&) = delete;
    OtherProcessLock& operator=(const OtherProcessLock&) = delete;
    // False when the other process could not take the lock.
    bool holding() const { return m_holding; }
    void Stop();

private:
    int m_pid = -1;
    int m_toChild = -1;
    bool m_holding = false;
};

// The debug log's entries (timestamp line + message line) as messages, from a host path.
std::vector<std::string> ReadDbgLogMessages(const std::string& hostPath);

// A continue callback that counts its calls, keeps every operation it was
// asked about, and answers "stop" from call number cancelAt on, as a host
// whose user pressed Cancel keeps answering.
struct ContinueCounter {
    // Starts a new count that stops at call number cancelAtCall (0: never).
    static void Reset(int cancelAtCall = 0);
    static int CALLBACK Continue(int* operation);

    static int calls;
    static int cancelAt;
    static std::set<int> operations;
};

}  // namespace qxtest
