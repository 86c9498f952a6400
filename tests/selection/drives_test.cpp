// Drive checks and the choice of scan roots against an explicit drive table.
#include <gtest/gtest.h>

#include <algorithm>

#include "services/dbglog.h"
#include "selection/drives.h"
#include "testhost.h"

using namespace qxtest;

namespace {

class DrivesTest : public ::testing::Test {
protected:
    explicit DrivesTest(std::vector<std::string> table = {"C", "D,removable", "E,fixed,active", "F,fixed,noopen", "G",
                                                          "H,cdrom", "I,remote", "J,ramdisk"})
        : drives(table) {
        g_pHostWnd = host.handle();
    }
    ~DrivesTest() override {
        g_pHostWnd = nullptr;
        CloseDbgLog();  // the stream must not outlive the test's folder
    }
    std::vector<std::string> LogMessages() {
        CloseDbgLog();
        return ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    }
    bool Logged(const std::vector<std::string>& log, const std::string& line) {
        return std::find(log.begin(), log.end(), line) != log.end();
    }

    TestDrives drives;
    HostWindow host;
};

TEST_F(DrivesTest, FixedNonActivePartitionsAreAccepted) {
    EXPECT_TRUE(IsScannableDrive(u""));
    EXPECT_TRUE(IsScannableDrive(u"C:\\"));
    EXPECT_TRUE(IsScannableDrive(u"c:\\some\\file.txt"));
    EXPECT_TRUE(IsScannableDrive(u"G:"));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(DrivesTest, OtherDriveTypesAreRejectedWithoutLogLine) {
    for (const WCHAR* root : {u"D:\\", u"H:\\", u"I:\\", u"J:\\", u"Z:\\"}) {
        EXPECT_FALSE(IsScannableDrive(root));
        auto posted = host.Drain();
        ASSERT_EQ(1u, posted.size());
        EXPECT_EQ(host.errorStr, posted[0].message);
        EXPECT_EQ(MSG_ERROR_DRIVE_INFO_FAILED, posted[0].wParam);
        EXPECT_EQ(CString(root), posted[0].text);
    }
    auto log = LogMessages();
    for (const auto& line : log) EXPECT_EQ(std::string::npos, line.find("MSG_ERROR_DRIVE_INFO_FAILED"));
}

TEST_F(DrivesTest, ActivePartitionAndUnopenableVolumeAreRejected) {
    EXPECT_FALSE(IsScannableDrive(u"E:\\"));
    EXPECT_TRUE(host.Drain().empty());
    EXPECT_FALSE(IsScannableDrive(u"f:\\x"));
    auto posted = host.Drain();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(MSG_ERROR_DRIVE_OPEN_FAILED, posted[0].wParam);
    EXPECT_EQ(0, posted[0].lParam);
    EXPECT_TRUE(Logged(LogMessages(), "MSG_ERROR_DRIVE_OPEN_FAILED - Unable to open f:\\ drive!"));
}

TEST_F(DrivesTest, ScanRootsAreTheAcceptedDrivesInOrder) {
    std::vector<CString> roots;
    ListScanRoots(&roots);
    EXPECT_EQ((std::vector<CString>{u"C:\\", u"G:\\"}), roots);

    std::vector<std::pair<long long, CString>> operations, errors;
    for (const auto& p : host.Drain()) {
        if (p.message == host.operationStr) operations.emplace_back(p.wParam, p.text);
        if (p.message == host.errorStr) errors.emplace_back(p.wParam, p.text);
    }
    using Pairs = std::vector<std::pair<long long, CString>>;
    EXPECT_EQ((Pairs{{MSG_OPERATION_SCAN_DRIVE, u"C:\\"}, {MSG_OPERATION_SCAN_DRIVE, u"G:\\"}}), operations);
    EXPECT_EQ((Pairs{{MSG_ERROR_DRIVE_INFO_FAILED, u"D:\\"},
                     {MSG_ERROR_DRIVE_INVALID, u"D:\\"},
                     {MSG_ERROR_DRIVE_INVALID, u"E:\\"},
                     {MSG_ERROR_DRIVE_OPEN_FAILED, u""},
                     {MSG_ERROR_DRIVE_INVALID, u"F:\\"},
                     {MSG_ERROR_DRIVE_INFO_FAILED, u"H:\\"},
                     {MSG_ERROR_DRIVE_INVALID, u"H:\\"},
                     {MSG_ERROR_DRIVE_INFO_FAILED, u"I:\\"},
                     {MSG_ERROR_DRIVE_INVALID, u"I:\\"},
                     {MSG_ERROR_DRIVE_INFO_FAILED, u"J:\\"},
                     {MSG_ERROR_DRIVE_INVALID, u"J:\\"}}),
              errors);

    auto log = LogMessages();
    EXPECT_TRUE(Logged(log, "MSG_OPERATION_SCAN_DRIVE - You will scan C:\\"));
    EXPECT_TRUE(Logged(log, "MSG_OPERATION_SCAN_DRIVE - You will scan G:\\"));
    EXPECT_TRUE(Logged(log, "MSG_ERROR_DRIVE_INVALID - Drive D:\\ is not a Hard Drive!"));
    EXPECT_TRUE(Logged(log, "MSG_ERROR_DRIVE_INVALID - Drive E:\\ is not a Hard Drive!"));
    EXPECT_TRUE(Logged(log, "MSG_ERROR_DRIVE_OPEN_FAILED - Unable to open F:\\ drive!"));
}

class FreeSpaceTest : public DrivesTest {
protected:
    FreeSpaceTest() : DrivesTest({"C,fixed,free=0", "D,fixed,free=4096"}) {}
};

TEST_F(FreeSpaceTest, UsedBytesAreTotalMinusFree) {
    ULARGE_INTEGER total = {}, free = {};
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", nullptr, &total, &free));
    EXPECT_EQ(0u, free.QuadPart);
    EXPECT_EQ(static_cast<double>(total.QuadPart), GetUsedBytes(u"C:\\"));
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"D:\\", nullptr, &total, &free));
    EXPECT_EQ(4096u, free.QuadPart);
    EXPECT_EQ(static_cast<double>(total.QuadPart) - 4096.0, GetUsedBytes(u"D:\\"));
    EXPECT_EQ(0.0, GetUsedBytes(u"Q:\\"));
}

TEST_F(FreeSpaceTest, PhysicalMemoryIsLoggedInMegabytes) {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    LogPhysicalMemory();
    EXPECT_TRUE(Logged(LogMessages(), "[Device Info]There are " +
                                          std::to_string(static_cast<DWORD>(status.ullTotalPhys / 1048576)) + " MB"));
}

}  // namespace
