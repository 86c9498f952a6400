// Times one Backup of every file below a host folder into an image, or one
// Restore of that backup, loaded as a host loads the module.
// Usage: image backup  <source folder> <work folder> <compression 0-3> [type list]
//        image restore <source folder> <work folder> [category...]
// The source becomes drive C:, the work folder drive D:; the backup goes to
// D:\backup (image "Image"), the restore to D:\restore. Prints the seconds.
// Without a type list (a host path) every file goes into one category, All,
// which a restore given no categories restores.
#include "bench_host.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc < 4 || (mode != "backup" && mode != "restore") || (mode == "backup" && argc != 5 && argc != 6)) {
        std::fprintf(stderr, "usage: %s backup <source> <work> <compression> [type list] | restore <source> <work> "
                     "[category...]\n", argv[0]);
        return 2;
    }
    const fs::path source = fs::absolute(argv[2]);
    const fs::path work = fs::absolute(argv[3]);
    if (!QxSetDriveTable("C=" + source.string() + ";D=" + work.string())) return 2;
    void* module = bench::LoadModule();
    if (!module) return 2;
    bench::CreateHostWindow();
    HWND* window = &bench::g_window;

    int result = 1;
    double seconds = 0;
    if (mode == "backup") {
        auto backup = reinterpret_cast<PFN_Backup>(dlsym(module, "Backup"));
        std::vector<CString> files = bench::WindowsPathsBelow(source), categories, images;
        images.reserve(16);
        if (argc == 6) {
            fs::copy_file(argv[5], work / "types.txt", fs::copy_options::overwrite_existing);
        } else {  // every file of the tree in one category
            FILE* types = std::fopen((work / "types.txt").c_str(), "w");
            std::fputs("[All]\n*\n", types);
            std::fclose(types);
        }
        auto start = std::chrono::steady_clock::now();
        result = backup(window, &files, u"D:\\types.txt", &categories, u"D:\\backup", u"Image", FALSE, 0,
                        std::atoi(argv[4]), &images, bench::DrainAndContinue);
        seconds = bench::SecondsSince(start);
    } else {
        auto restore = reinterpret_cast<PFN_Restore>(dlsym(module, "Restore"));
        std::vector<CString> categories;
        for (int i = 4; i < argc; ++i) categories.push_back(CString::FromUtf8(argv[i]));
        if (categories.empty()) categories.push_back(u"ALL");
        auto start = std::chrono::steady_clock::now();
        result = restore(window, u"D:\\backup", &categories, u"D:\\restore", bench::DrainAndContinue);
        seconds = bench::SecondsSince(start);
    }
    bench::Drain();
    if (result != 0) {
        std::fprintf(stderr, "%s failed\n", mode.c_str());
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}
