// demo: the whole cycle on a generated sample, on drives of its own in a
// temporary folder (C: the source, D: backup and restore).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "commands.h"
#include "outcome.h"
#include "qxplatform.h"
#include "sample_tree.h"
#include "scan_files.h"
#include "wimgapi.h"

namespace fs = std::filesystem;

namespace qxfm {
namespace {

// 110 MiB of noise with a split size of 100 MiB: the video is cut into pieces
// and the image (stored without compression) comes out in two parts.
constexpr unsigned long long kBigFileBytes = 110ULL << 20;
constexpr int kSplitMB = 100;

class Stopwatch {
public:
    double Lap() {
        const auto now = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(now - m_last).count();
        m_last = now;
        return s;
    }

private:
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

// The temporary folder with the two drives and the work folder; restores the
// drive table and the current folder and removes everything unless kept.
class DemoPlace {
public:
    bool Make(std::string* error) {
        char tmpl[] = "/tmp/qxfm-demo-XXXXXX";
        if (!mkdtemp(tmpl)) {
            *error = "cannot create a temporary folder";
            return false;
        }
        root = tmpl;
        // Its drives are private, so is its operation lock (unless one was chosen).
        setenv("QXFM_NAMESPACE", "qxfm-demo", 0);
        for (const char* sub : {"c", "d", "work"}) fs::create_directories(root + "/" + sub);
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) m_oldCwd = cwd;
        if (chdir((root + "/work").c_str()) != 0 ||
            !QxSetDriveTable("C=" + root + "/c,fixed,active;D=" + root + "/d,fixed")) {
            *error = "cannot set up the demo drives in " + root;
            return false;
        }
        return true;
    }
    ~DemoPlace() {
        if (root.empty()) return;
        QxSetDriveTable("");
        if (!m_oldCwd.empty() && chdir(m_oldCwd.c_str()) != 0) std::fprintf(stderr, "qxfm: cannot go back\n");
        if (keep) {
            std::printf("kept %s (drive C: %s/c, drive D: %s/d)\n", root.c_str(), root.c_str(), root.c_str());
            return;
        }
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    std::string root;
    bool keep = false;

private:
    std::string m_oldCwd;
};

std::string Mib(unsigned long long bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
    return text;
}

// The one dated folder below System Recovery Files.
std::string RestoredFolder(const std::string& recoveryRoot) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(recoveryRoot, ec))
        if (entry.is_directory()) return entry.path().string();
    return std::string();
}

}  // namespace

int RunDemo(Host& host, const Args& args) {
    if (!args.Has("--types")) return UsageError("demo", "--types is required");
    // The type list is read from the host before the demo's drives replace the table.
    std::string typesHost = args.Value("--types");
    if (typesHost.size() >= 2 && typesHost[1] == ':') {
        std::string mapped;
        if (!QxToHostPath(CString::FromUtf8(typesHost), mapped)) return UsageError("demo", typesHost + " not found");
        typesHost = mapped;
    }
    std::error_code ec;
    if (!fs::is_regular_file(typesHost, ec)) return UsageError("demo", typesHost + " is not a file");
    typesHost = fs::absolute(typesHost, ec).string();  // the demo changes the current folder

    DemoPlace place;
    place.keep = args.Has("--keep");
    std::string error;
    if (!place.Make(&error)) return Fail(kExitFailed, error);
    fs::copy_file(typesHost, place.root + "/c/types.txt", ec);
    if (ec) return Fail(kExitFailed, "cannot copy " + typesHost);

    Stopwatch watch;
    const std::vector<SampleFile> sample = WriteSampleTree(place.root + "/c/Users/demo", kBigFileBytes);
    unsigned long long sampleBytes = 0;
    for (const SampleFile& f : sample) sampleBytes += f.size;
    const double tGenerate = watch.Lap();
    std::printf("sample: %zu files, %s below C:\\Users\\demo\n", sample.size(), Mib(sampleBytes).c_str());

    const CString types = u"C:\\types.txt";
    ScanOutcome scan = ScanFiles(host, u"C:\\Users\\demo", types, {});
    if (scan.status != kExitOk) return scan.status;
    if (scan.files.empty()) return Fail(kExitFailed, "demo failed: the scan found no file");
    const double tScan = watch.Lap();
    std::printf("scan: %zu files, %s\n", scan.files.size(), Mib(scan.totalBytes).c_str());

    const CString backupFolder = u"D:\\Backup\\";
    std::vector<CString> categories, imageFiles;
    imageFiles.reserve(64);
    int result = host.module().Backup(host.window(), &scan.files, types, &categories, backupFolder, u"demo", TRUE,
                                      kSplitMB, WIM_COMPRESS_NONE, &imageFiles, &Host::Continue);
    int status = Conclude(host, result != 0, "backup");
    if (status != kExitOk) return status;
    const double tBackup = watch.Lap();
    unsigned long long imageBytes = 0;
    std::printf("backup: %zu image file(s), split at %d MiB, no compression\n", imageFiles.size(), kSplitMB);
    for (const CString& image : imageFiles) {
        std::string hostPath;
        QxToHostPath(image, hostPath);
        const unsigned long long size = fs::file_size(hostPath, ec);
        imageBytes += ec ? 0 : size;
        std::printf("  %s  %s\n", image.ToUtf8().c_str(), Mib(ec ? 0 : size).c_str());
    }

    if (host.module().IsDataValid(backupFolder) != 0) return Fail(kExitFailed, "demo failed: verify failed");
    const double tVerify = watch.Lap();
    std::printf("verify: complete\n");

    std::vector<CString> stored;
    stored.reserve(64);
    if (host.module().GetCategoriesFromSerializationData(backupFolder, &stored) != 1)
        return Fail(kExitFailed, "demo failed: the catalog lists no category");
    result = host.module().Restore(host.window(), backupFolder, &stored, u"D:\\Restore\\", &Host::Continue);
    if ((status = Conclude(host, result != 0, "restore")) != kExitOk) return status;
    const double tRestore = watch.Lap();
    std::printf("restore: %zu categories into D:\\Restore\\System Recovery Files\n", stored.size());

    const std::string restored = RestoredFolder(place.root + "/d/Restore/System Recovery Files");
    size_t same = 0;
    for (const CString& file : scan.files) {
        std::string source;
        QxToHostPath(file, source);
        const std::string rel = source.substr((place.root + "/c").size());
        if (!restored.empty() && SameContent(source, restored + "/C" + rel)) ++same;
        else std::fprintf(stderr, "differs: %s\n", file.ToUtf8().c_str());
    }
    const double tCompare = watch.Lap();
    std::printf("compare: %zu of %zu restored files identical\n", same, scan.files.size());
    std::printf("summary: %s in %zu files -> %s of images; times: generate %.2f s, scan %.2f s, backup %.2f s, "
                "verify %.2f s, restore %.2f s, compare %.2f s\n",
                Mib(scan.totalBytes).c_str(), scan.files.size(), Mib(imageBytes).c_str(), tGenerate, tScan, tBackup,
                tVerify, tRestore, tCompare);
    if (same != scan.files.size()) return Fail(kExitFailed, "demo failed: restored files differ from the sample");
    return kExitOk;
}

}  // namespace qxfm
