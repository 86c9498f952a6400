// Test support: a temporary folder tree used as drives, a host window that
// collects the module's notifications, and the module loaded as a host loads it.
// What depends on the system (temporary folders, drives, loading the module,
// a second process) has one implementation in unix/ and one in windows/.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "api/qxfilemgr.h"
#include "atlstr.h"

// GoogleTest shows CString values as their text.
inline void PrintTo(const CString& s, std::ostream* os) { *os << '"' << s.ToUtf8() << '"'; }

namespace qxtest {

// A temporary folder (below /tmp; on Windows below GetTempPathW's folder),
// removed with everything in it at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    // Host path of a relative name inside the folder ('/' serves on Windows too).
    std::string operator/(const std::string& rel) const { return m_path + "/" + rel; }

private:
    std::string m_path;
};

// A host path as the C++ library's file calls take it (on Windows with the
// long-path prefix where it is long).
std::filesystem::path HostFilePath(const std::string& hostPath);
// Host file helpers (they bypass the platform layer on purpose).
void WriteHostFile(const std::string& hostPath, const std::string& content);
std::string ReadHostFile(const std::string& hostPath);
bool HostExists(const std::string& hostPath);
// Host paths of the entries in a host folder (also one deeper than MAX_PATH).
std::vector<std::string> FolderEntries(const std::string& hostFolder);
// Removes a host folder with everything below it, long paths too; false when something stays.
bool RemoveHostTree(const std::string& hostPath);
// Host path of a file of the project's data/ folder ("types.txt").
std::string TestDataFile(const std::string& name);
// A UTF-16 LE file (with or without BOM) decoded into lines, CR LF removed.
std::vector<CString> ReadUtf16Lines(const std::string& hostPath, bool* hadBom = nullptr, bool* crlf = nullptr);

// A symbolic link at a host path to target (absolute, or relative to the
// link's folder), a folder link when folder is true; throws when it cannot be
// made. False where the system makes none: Wine's CreateSymbolicLinkW does nothing.
bool MakeLink(const std::string& target, const std::string& link, bool folder);
// Why a test that needs links skips where MakeLink makes none.
inline constexpr char kNoLinks[] = "the system makes no symbolic links here (Wine)";
// Why a test that needs names differing only in case skips where they are one file.
inline constexpr char kOneCase[] = "names that differ only in case are one file here";
// Host paths of the regular files below root whose names end in suffix (all when empty).
std::vector<std::string> FilesBelow(const std::string& root, const std::string& suffix = "");
// Every file and folder below root, by relative path, with its bytes and last-write time.
std::map<std::string, std::string> TreeState(const std::string& root);

// The Windows path of a host path (the drive table's mapping on Linux; on
// Windows the path itself with backslashes).
CString WindowsPathOf(const std::string& hostPath);

// Drives for one test: each letter gets a folder inside a temporary tree; the
// current directory moves to a fresh work folder so the module's relative files
// stay inside the test. Tests name places by drive paths ("C:\a\b"). On Linux
// the platform's drive table is set to the folders, so a drive path is the
// Windows path itself. On Windows, whose drives are real, a drive is just its
// folder: Path() puts a drive path inside it.
class TestDrives {
public:
    // drives: entries "C", "D,removable", "E,fixed,active" ... (letter and options
    // of the drive table syntax without the host folder; Windows takes only the letter).
    explicit TestDrives(const std::vector<std::string>& drives = {"C"});
    ~TestDrives();
    // Host folder of a drive letter.
    std::string Root(char letter) const;
    // The Windows path the module is given for a drive path (also "\\?\C:\...").
    // A path on a letter that is not a test drive stays as it is.
    CString Path(const CString& drivePath) const;
    // The folders a drive path passes before its drive's folder: 0 on Linux,
    // where the drive's folder is a drive's root; on Windows its depth.
    int FolderLevels(char letter) const;
    // Where a raw backup puts its copy of a drive path, relative to the
    // time-stamped folder and '/'-separated: the letter of the path the module
    // is given, then the rest of that path ("C:\a\b" -> "C/a/b" on Linux;
    // "Z/tmp/.../drive_C/a/b" on Windows, the drive's folder spelled as on disk).
    std::string RawCopyPlace(const CString& drivePath) const;
    // Host path of the root of the drive a test drive's folder lies on, where a
    // backup puts its exception folders: Root() on Linux; on Windows the root
    // of the system's drive that holds the folder ("C:\"), which other tests
    // share.
    std::string DriveRootOf(char letter) const;
    // Host path for a drive path (C:\a\b -> <root>/a/b).
    std::string Host(const CString& drivePath) const;
    // Writes a file given by its Windows path, creating folders.
    void Write(const CString& winPath, const std::string& content) const;
    const std::string& WorkDir() const { return m_work; }

private:
    TempDir m_tmp;
    std::string m_work;
    std::string m_oldCwd;
    std::vector<std::pair<char, std::string>> m_roots;
};

// An entry a test makes at the root of a drive, which on Windows other tests
// share (DriveRootOf): removed with everything below it at destruction.
class RootEntry {
public:
    explicit RootEntry(std::string hostPath) : m_path(std::move(hostPath)) {}
    ~RootEntry();
    RootEntry(const RootEntry&) = delete;
    RootEntry& operator=(const RootEntry&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
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
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND* handle() { return &m_hwnd; }
    // Removes every message the window got, in order: those the system already
    // handed to its procedure (a message box's loop does on Windows), then the
    // queued ones; decodes and frees the string payloads.
    std::vector<Posted> Drain();

    UINT progressInt, progressStr, operationStr, errorStr;

private:
    HWND m_hwnd = nullptr;
    std::vector<MSG> m_delivered;
};

// The host's message-only window, whose procedure appends what it is handed
// to *delivered (one implementation per system).
HWND CreateHostWindow(std::vector<MSG>* delivered);

// Filters of a drained list.
std::vector<long long> Codes(const std::vector<Posted>& posted, UINT message);
bool HasCode(const std::vector<Posted>& posted, UINT message, long long code);

// The module, loaded from the build tree (dlopen; LoadLibraryW) and reached
// only through its plain export names. As it loads it is asked for the host
// protocol given (SetHostProtocol), so that what a test sees never depends on
// an earlier test of the process; kAsksNothing loads it as a host that never
// asks. HostWindow decodes the notifications by the protocol last asked for.
struct Module : QxfmEntryPoints {
    static constexpr int kAsksNothing = 0;
    explicit Module(int protocol = QXFM_PROTOCOL_DOCUMENTED);
    ~Module();
    static int Protocol();
    // Every name the module's file makes visible to its hosts (its dynamic
    // symbols; the DLL's export table).
    std::set<std::string> ExportedNames() const;
    void* handle = nullptr;

private:
    // Called by the constructor once the entry points are resolved.
    void AskFor(int protocol);
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
    struct Child;                   // the process and the pipe whose closing lets it go
    std::unique_ptr<Child> m_child;
    bool m_holding = false;
};

// The text of the last message box this process showed. On Windows every
// message box is closed as soon as it shows, so that no test waits for a user.
CString LastMessageBoxText();

// Why a test of the image engine cannot run: "" when WIMGAPI is there; on
// Windows without wimgapi.dll (Wine's own counts as none) it says so.
std::string ImageEngineMissing();

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
