// demo: the whole cycle on a generated sample, on drives of its own in a
// temporary folder (C: the source, D: backup and restore).
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

#include "commands.h"
#include "demo_drives.h"
#include "host_paths.h"
#include "outcome.h"
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

// The temporary folder with the two drives and the work folder; goes back to
// the earlier drives and current folder and removes everything unless kept.
class DemoPlace {
public:
    bool Make(std::string* error) {
        std::error_code ec;
        const fs::path temp = fs::temp_directory_path(ec);
        std::random_device random;
        for (int attempt = 0; attempt < 100 && root.empty(); ++attempt) {
            const fs::path candidate = temp / ("qxfm-demo-" + std::to_string(random()));
            if (fs::create_directory(candidate, ec)) root = candidate.u8string();
        }
        if (root.empty()) {
            *error = "cannot create a temporary folder";
            return false;
        }
        for (const char* sub : {"c", "d", "work"}) fs::create_directories(fs::u8path(root) / sub, ec);
        m_oldCwd = fs::current_path(ec);
        fs::current_path(fs::u8path(root) / "work", ec);
        if (ec || !drives.Set(root)) {
            *error = "cannot set up the demo drives in " + root;
            return false;
        }
        return true;
    }
    ~DemoPlace() {
        if (root.empty()) return;
        std::error_code ec;
        if (!m_oldCwd.empty()) fs::current_path(m_oldCwd, ec);
        if (ec) std::fprintf(stderr, "qxfm: cannot go back\n");
        if (keep) {
            std::printf("kept %s (drive C: %s, drive D: %s)\n", root.c_str(), Host('C').c_str(), Host('D').c_str());
            return;
        }
        fs::remove_all(fs::u8path(root), ec);
    }
    // The host folder that stands for the drive.
    std::string Host(char drive) const {
        return (fs::u8path(root) / std::string(1, static_cast<char>(std::tolower(drive)))).u8string();
    }

    std::string root;
    DemoDrives drives;
    bool keep = false;

private:
    fs::path m_oldCwd;
};

// The name of the one dated folder in the host folder of a restore's System Recovery Files.
CString RestoredFolderName(const std::string& recoveryRoot) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::u8path(recoveryRoot), ec))
        if (entry.is_directory()) return CString::FromUtf8(entry.path().filename().u8string());
    return CString();
}

}  // namespace

int RunDemo(Host& host, const Args& args) {
    if (!args.Has("--types")) return UsageError("demo", "--types is required");
    // The type list is read from the host before the demo's drives replace the table.
    std::string typesHost = args.Value("--types");
    if (typesHost.size() >= 2 && typesHost[1] == ':') {
        std::string mapped;
        if (!ToHostPath(CString::FromUtf8(typesHost), &mapped)) return UsageError("demo", typesHost + " not found");
        typesHost = mapped;
    }
    std::error_code ec;
    if (!fs::is_regular_file(fs::u8path(typesHost), ec)) return UsageError("demo", typesHost + " is not a file");
    typesHost = fs::absolute(fs::u8path(typesHost), ec).u8string();  // the demo changes the current folder

    DemoPlace place;
    place.keep = args.Has("--keep");
    std::string error;
    if (!place.Make(&error)) return Fail(kExitFailed, error);
    fs::copy_file(fs::u8path(typesHost), fs::u8path(place.Host('C')) / "types.txt", ec);
    if (ec) return Fail(kExitFailed, "cannot copy " + typesHost);
    const CString sourceDrive = place.drives.Root('C'), backupDrive = place.drives.Root('D');

    Stopwatch watch;
    const std::vector<SampleFile> sample = WriteSampleTree(place.Host('C') + "/Users/demo", kBigFileBytes);
    unsigned long long sampleBytes = 0;
    for (const SampleFile& f : sample) sampleBytes += f.size;
    const double tGenerate = watch.Lap();
    const CString sampleFolder = sourceDrive + u"Users\\demo";
    std::printf("sample: %zu files, %s below %s\n", sample.size(), Bytes(sampleBytes).c_str(),
                sampleFolder.ToUtf8().c_str());

    const CString types = sourceDrive + u"types.txt";
    ScanOutcome scan = ScanFiles(host, sampleFolder, types, {});
    if (scan.status != kExitOk) return scan.status;
    if (scan.files.empty()) return Fail(kExitFailed, "demo failed: the scan found no file");
    const double tScan = watch.Lap();
    std::printf("scan: %zu files, %s\n", scan.files.size(), Bytes(scan.totalBytes).c_str());

    const CString backupFolder = backupDrive + u"Backup\\";
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
        ToHostPath(image, &hostPath);
        const unsigned long long size = fs::file_size(fs::u8path(hostPath), ec);
        imageBytes += ec ? 0 : size;
        std::printf("  %s  %s\n", image.ToUtf8().c_str(), Bytes(ec ? 0 : size).c_str());
    }

    if (host.module().IsDataValid(backupFolder) != 0) return Fail(kExitFailed, "demo failed: verify failed");
    const double tVerify = watch.Lap();
    std::printf("verify: complete\n");

    std::vector<CString> stored;
    stored.reserve(64);
    if (host.module().GetCategoriesFromSerializationData(backupFolder, &stored) != 1)
        return Fail(kExitFailed, "demo failed: the catalog lists no category");
    result = host.module().Restore(host.window(), backupFolder, &stored, backupDrive + u"Restore\\", &Host::Continue);
    if ((status = Conclude(host, result != 0, "restore")) != kExitOk) return status;
    const double tRestore = watch.Lap();
    const CString recovery = backupDrive + u"Restore\\System Recovery Files";
    std::printf("restore: %zu categories into %s\n", stored.size(), recovery.ToUtf8().c_str());

    // The restore keeps each file "X:\rest" as "<dated folder>\X\rest".
    std::string recoveryHost;
    const CString dated = ToHostPath(recovery, &recoveryHost) ? RestoredFolderName(recoveryHost) : CString();
    size_t same = 0;
    for (const CString& file : scan.files) {
        std::string source, copy;
        const bool found = !dated.IsEmpty() && ToHostPath(file, &source) &&
                           ToHostPath(recovery + u"\\" + dated + u"\\" + file.Left(1) + file.Mid(2), &copy);
        if (found && SameContent(source, copy)) ++same;
        else std::fprintf(stderr, "differs: %s\n", file.ToUtf8().c_str());
    }
    const double tCompare = watch.Lap();
    std::printf("compare: %zu of %zu restored files identical\n", same, scan.files.size());
    std::printf("summary: %s in %zu files -> %s of images; times: generate %.2f s, scan %.2f s, backup %.2f s, "
                "verify %.2f s, restore %.2f s, compare %.2f s\n",
                Bytes(scan.totalBytes).c_str(), scan.files.size(), Bytes(imageBytes).c_str(), tGenerate, tScan, tBackup,
                tVerify, tRestore, tCompare);
    if (same != scan.files.size()) return Fail(kExitFailed, "demo failed: restored files differ from the sample");
    return kExitOk;
}

}  // namespace qxfm
