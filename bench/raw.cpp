// Times one BackupRaw of every file below a host folder, loaded as a host loads
// the module. Usage: raw <source folder> <destination folder>
// The source becomes drive C:, the destination drive D:; the backup goes to D:\.
// The debug log is written to the current folder. Prints "files seconds".
#include "bench_host.h"

namespace fs = std::filesystem;

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
    void* module = bench::LoadModule();
    if (!module) return 2;
    auto backupRaw = reinterpret_cast<PFN_BackupRaw>(dlsym(module, "BackupRaw"));
    if (!backupRaw) return 2;

    bench::CreateHostWindow();
    std::vector<CString> files = bench::WindowsPathsBelow(source);
    const auto start = std::chrono::steady_clock::now();
    const int result = backupRaw(&bench::g_window, &files, u"D:\\", bench::DrainAndContinue);
    const double seconds = bench::SecondsSince(start);
    bench::Drain();

    std::printf("%zu %.3f\n", files.size(), seconds);
    DestroyWindow(bench::g_window);
    dlclose(module);
    return result == 0 ? 0 : 1;
}
