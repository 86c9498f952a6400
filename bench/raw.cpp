// Times one BackupRaw of every file below a host folder, loaded as a host loads
// the module. Usage: raw <source folder> <destination folder>
// The source becomes drive C:, the destination drive D:; the backup goes to D:\.
// The debug log is written to the current folder. Prints "files seconds".
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "qxfilemgr.h"
#include "qxplatform.h"

namespace fs = std::filesystem;

namespace {

HWND g_window = nullptr;
UINT g_progressStr = 0;

// The host pumps its queue whenever the module asks whether to go on.
int CALLBACK DrainAndContinue(int*) {
    MSG msg;
    while (PeekMessageW(&msg, g_window, 0, 0, PM_REMOVE))
        if (msg.message == g_progressStr) SysFreeString(reinterpret_cast<BSTR>(msg.wParam));
    return 1;
}

std::vector<CString> WindowsPathsBelow(const fs::path& root) {
    std::vector<CString> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string rel = fs::relative(entry.path(), root).string();
        for (char& c : rel)
            if (c == '/') c = '\\';
        paths.push_back(CString::FromUtf8("C:\\" + rel));
    }
    return paths;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <source folder> <destination folder>\n", argv[0]);
        return 2;
    }
    const fs::path source = fs::absolute(argv[1]);
    const fs::path destination = fs::absolute(argv[2]);
    if (!QxSetDriveTable("C=" + source.string() + ";D=" + destination.string())) {
        std::fprintf(stderr, "bad drive table\n");
        return 2;
    }
    void* module = dlopen(QXFM_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "dlopen: %s\n", dlerror());
        return 2;
    }
    auto backupRaw = reinterpret_cast<PFN_BackupRaw>(dlsym(module, "BackupRaw"));
    if (!backupRaw) return 2;

    g_progressStr = RegisterWindowMessageW(QXFM_PROGRESS_STR_MESSAGE);
    g_window = CreateWindowExW(0, u"STATIC", u"raw bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<CString> files = WindowsPathsBelow(source);

    const auto start = std::chrono::steady_clock::now();
    const int result = backupRaw(&g_window, &files, u"D:\\", DrainAndContinue);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    DrainAndContinue(nullptr);

    std::printf("%zu %.3f\n", files.size(), elapsed.count());
    DestroyWindow(g_window);
    dlclose(module);
    return result == 0 ? 0 : 1;
}
