// Times one scan of a host folder tree, loaded as a host loads the module.
// Usage: scan <tree folder> <type list> <category>...
// The tree becomes drive C: and is scanned from C:\; the type list path is a
// Windows path (relative to the current folder works). The host drains its
// queue whenever the module polls the continue callback, so no notification
// is lost. Prints "files seconds notifications".
#include "bench_host.h"

namespace {

size_t g_notifications = 0;

int CALLBACK CountDrainAndContinue(int*) {
    g_notifications += bench::Drain();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <tree folder> <type list> <category>...\n", argv[0]);
        return 2;
    }
    const std::filesystem::path tree = std::filesystem::absolute(argv[1]);
    if (!QxSetDriveTable("C=" + tree.string())) {
        std::fprintf(stderr, "bad drive table\n");
        return 2;
    }
    void* module = bench::LoadModule();
    if (!module) return 2;
    auto scan = reinterpret_cast<PFN_ScanFileArraySizeByPredefinedType>(
        dlsym(module, "ScanFileArraySizeByPredefinedType"));
    auto fetch = reinterpret_cast<PFN_GetFileArrayByPredefinedType>(dlsym(module, "GetFileArrayByPredefinedType"));
    if (!scan || !fetch) return 2;
    bench::CreateHostWindow();

    std::vector<CString> categories;
    for (int i = 3; i < argc; ++i) categories.push_back(CString::FromUtf8(argv[i]));
    ULONGLONG count = 0;
    const auto start = std::chrono::steady_clock::now();
    const int result = scan(&bench::g_window, u"C:\\", CString::FromUtf8(argv[2]), &categories, &count,
                            CountDrainAndContinue);
    const double seconds = bench::SecondsSince(start);
    CountDrainAndContinue(nullptr);
    if (result != 0) std::fprintf(stderr, "scan result %d\n", result);

    std::vector<CString> files;
    files.reserve(static_cast<size_t>(count));
    ULONGLONG total = 0;
    if (fetch(&files, &total) != 0 || files.size() != count) {
        std::fprintf(stderr, "hand-over failed\n");
        return 1;
    }
    std::printf("%llu %.3f %zu\n", static_cast<unsigned long long>(count), seconds, g_notifications);
    DestroyWindow(bench::g_window);
    dlclose(module);
    return result == 0 ? 0 : 1;
}
