// An example host: scans, backs up, verifies and restores a small tree it
// makes in a temporary folder, and prints every notification it receives with
// what its wParam and lParam mean. It runs on drives of its own (QXFM_DRIVES)
// and in a lock namespace of its own (QXFM_NAMESPACE). See docs/host-guide.md.
#include <QXFileMgr/qxfilemgr.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

HWND g_window = nullptr;  // the module keeps &g_window and reads it at every post
UINT g_progressInt, g_progressStr, g_operationStr, g_errorStr;
const int kProtocol = QXFM_PROTOCOL_EXTENDED;

std::string Utf8(const WCHAR* text) { return CString(text).ToUtf8(); }

// Reads a BSTR a notification carries and frees it: the receiver owns it.
std::string Take(UINT_PTR value) {
    BSTR text = reinterpret_cast<BSTR>(value);
    std::string out = Utf8(text);
    SysFreeString(text);
    return out;
}

// Prints and empties the window's queue.
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, g_window, 0, 0, PM_REMOVE)) {
        const int code = static_cast<int>(static_cast<LONG_PTR>(msg.wParam));
        if (msg.message == g_progressInt) {
            std::printf("ProgressIntMessage   %3d%%, phase %d\n", code, static_cast<int>(msg.lParam));
            continue;
        }
        if (msg.message == g_progressStr) {
            std::printf("ProgressStrMessage   working on %s\n", Take(msg.wParam).c_str());
            continue;
        }
        const bool error = msg.message == g_errorStr;
        if (!error && msg.message != g_operationStr) continue;
        const char* name = error ? "ErrorStrMessage   " : "OperationStrMessage";
        if (QxfmWParamIsText(msg.wParam)) {  // the address of the module's own text: read, never freed
            std::printf("%s  text: %s\n", name, Utf8(reinterpret_cast<const WCHAR*>(msg.wParam)).c_str());
            continue;
        }
        const bool isString = error ? QxfmErrorLParamIsString(code, kProtocol)
                                    : QxfmOperationLParamIsString(code, kProtocol);
        const std::string payload = !msg.lParam ? "" : isString ? "path " + Take(msg.lParam)
                                                                : "number " + std::to_string(msg.lParam);
        const QxfmCodeText* row = error ? QxfmFindErrorCode(code) : QxfmFindOperationCode(code);
        const std::string word = row                  ? Utf8(row->word)
                                 : error && code > 0 ? "system error"
                                 : code == QXFM_OPERATION_FILES_STORED ? "files stored"
                                 : code == QXFM_OPERATION_BYTES_TO_STORE ? "bytes to store"
                                 : code == QXFM_OPERATION_BYTES_STORED ? "bytes stored"
                                 : code == QXFM_OPERATION_RESTORE_FOLDER ? "restore folder"
                                                                         : "note";
        std::printf("%s  %d %s %s\n", name, code, word.c_str(), payload.c_str());
    }
}

int CALLBACK Continue(int*) {
    Pump();  // notifications show while the operation runs
    return 1;  // 0 would cancel
}

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

int Fail(const char* what) {
    Pump();
    std::fprintf(stderr, "example host: %s failed\n", what);
    return 1;
}

int Run() {
    g_progressInt = RegisterWindowMessageW(QXFM_PROGRESS_INT_MESSAGE);
    g_progressStr = RegisterWindowMessageW(QXFM_PROGRESS_STR_MESSAGE);
    g_operationStr = RegisterWindowMessageW(QXFM_OPERATION_STR_MESSAGE);
    g_errorStr = RegisterWindowMessageW(QXFM_ERROR_STR_MESSAGE);
    g_window = CreateWindowExW(0, u"STATIC", u"host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!g_window || SetHostProtocol(kProtocol) != 0) return Fail("setting up");

    const CString types = u"C:\\types.txt", backup = u"D:\\Backups";
    // The categories: an empty vector asks for them and scans nothing.
    std::vector<CString> categories;
    ULONGLONG count = 0;
    ScanFileArraySizeByPredefinedType(&g_window, u"", types, &categories, &count, Continue);
    Pump();
    if (categories.empty()) return Fail("reading the type list");  // the call returns 0 all the same

    // The scan for all of them, then the paths, into room reserved for them.
    if (ScanFileArraySizeByPredefinedType(&g_window, u"C:\\Users", types, &categories, &count, Continue) != 0)
        return Fail("the scan");
    Pump();
    std::vector<CString> files;
    files.reserve(count);
    ULONGLONG bytes = 0;
    if (GetFileArrayByPredefinedType(&files, &bytes) != 0) return Fail("handing the scan over");

    // The backup, unsplit, with XPRESS compression (1).
    std::vector<CString> images;
    images.reserve(4);
    if (Backup(&g_window, &files, types, &categories, backup, u"Example", FALSE, 0, 1, &images, Continue) != 0)
        return Fail("the backup");  // 2, 4, 6 under the extended protocol: saved, but not all that was asked
    Pump();
    if (IsDataValid(backup) != 0) return Fail("the check");  // 0: every image file is there
    Pump();

    // The restore of every stored category; this export answers 1 for success.
    std::vector<CString> held;
    held.reserve(8);
    if (GetCategoriesFromSerializationData(backup, &held) != 1) return Fail("listing the stored categories");
    if (Restore(&g_window, backup, &held, u"D:\\", Continue) != 0) return Fail("the restore");
    Pump();
    DestroyWindow(g_window);
    std::printf("example host: %llu files scanned, backed up in %zu image file(s), checked and restored\n",
                count, images.size());
    return 0;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/qxfm-example-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path root = pattern;
    Write(root / "c/types.txt", "[Documents]\r\ntxt, doc\r\n[Pictures]\r\njpg\r\n");
    Write(root / "c/Users/ann/Documents/notes.txt", "a note\n");
    Write(root / "c/Users/ann/Documents/report.doc", std::string(20000, 'r'));
    Write(root / "c/Users/ann/Pictures/beach.jpg", std::string(3000, 'j'));
    fs::create_directories(root / "d");
    // Drives and a lock namespace of its own, set before the first call reads them.
    const std::string drives = "C=" + (root / "c").string() + ",fixed;D=" + (root / "d").string() + ",fixed";
    setenv("QXFM_DRIVES", drives.c_str(), 1);
    setenv("QXFM_NAMESPACE", ("example-host-" + std::to_string(getpid())).c_str(), 1);
    fs::current_path(root);  // where the library writes Dbg.log and SourceFileList.log
    const int status = Run();
    fs::current_path("/");
    fs::remove_all(root);
    return status;
}
