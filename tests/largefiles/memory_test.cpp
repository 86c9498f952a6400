// Cutting and merging stream through a fixed buffer: a 1 GiB file cut into
// 300 MiB pieces and merged back keeps the peak resident memory small.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "big_file_fixture.h"

namespace fs = std::filesystem;
using namespace bigfiles;

namespace {

const ULONGLONG kMiB = 1ull << 20;

// VmHWM of this process in KiB, or -1.
long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct ChildReport {
    long cutPeakKiB = -1;
    long mergePeakKiB = -1;
    size_t pieces = 0;
    bool merged = false;
};

using MemoryTest = BigFileTest;

TEST_F(MemoryTest, CutAndMergeOfAGibibyteStayBelow64MiB) {
    const ULONGLONG size = 1024 * kMiB, piece = 300 * kMiB;
    std::string source = Host(u"C:\\Media\\big.bin");
    fs::create_directories(fs::path(source).parent_path());
    { std::ofstream(source, std::ios::binary); }
    fs::resize_file(source, size);  // sparse: reading it costs no disk

    int channel[2];
    ASSERT_EQ(0, pipe(channel));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(channel[0]);
        g_pHostWnd = nullptr;
        ChildReport report;
        ResetPeakResident();
        FileNode node;
        node.suszPath = u"C:\\Media\\big.bin";
        node.size = size;
        node.IndexofImage = {1};
        SplitBigFile(piece, node);
        report.cutPeakKiB = PeakResidentKiB();
        report.pieces = node.splitPathArray.size();

        // Move the pieces below a restore folder, as an apply would bring them back.
        std::error_code ec;
        fs::create_directories(Host(u"D:\\Restore\\Media"), ec);
        for (const CString& path : node.splitPathArray)
            fs::rename(Host(path), Host(u"D:\\Restore\\" + path.Mid(3)), ec);
        catalog.m_arBigFile.push_back(node);
        catalog.m_bigFileTotalSize = size;
        ResetPeakResident();
        RestoreBigFiles(catalog, u"D:\\Restore", u"C:\\", u"VIDEO", 1);
        report.mergePeakKiB = PeakResidentKiB();
        report.merged = fs::file_size(Host(u"D:\\Restore\\Media\\big.bin"), ec) == size &&
                        !fs::exists(Host(u"D:\\Restore\\Media\\big.bin.000"), ec);
        _exit(write(channel[1], &report, sizeof report) == sizeof report ? 0 : 1);
    }
    close(channel[1]);
    ChildReport report;
    ssize_t got = read(channel[0], &report, sizeof report);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(static_cast<ssize_t>(sizeof report), got);

    EXPECT_EQ(4u, report.pieces);
    EXPECT_TRUE(report.merged);
    EXPECT_GT(report.cutPeakKiB, 0);
    EXPECT_LT(report.cutPeakKiB, 64 * 1024);
    EXPECT_GT(report.mergePeakKiB, 0);
    EXPECT_LT(report.mergePeakKiB, 64 * 1024);
    std::printf("peak resident: cut %ld KiB, merge %ld KiB\n", report.cutPeakKiB, report.mergePeakKiB);
}

}  // namespace
