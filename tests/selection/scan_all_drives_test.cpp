// The scan of every drive: which drives it takes and which it reports, by the
// kinds and options of the platform's drive table (Linux only).
#include <algorithm>
#include <filesystem>

#include "scan_export_fixture.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

class AllDrivesScanTest : public ScanExportTest {
protected:
    AllDrivesScanTest() : ScanExportTest({"C", "D,removable", "E,fixed,active", "F,fixed,noopen", "G"}) {}
};

TEST_F(AllDrivesScanTest, ScansTheAcceptedDrivesAndReportsTheOthers) {
    drives.Write(u"C:\\a.doc", "1");
    drives.Write(u"D:\\d.doc", "1");
    drives.Write(u"E:\\e.doc", "1");
    drives.Write(u"F:\\f.doc", "1");
    drives.Write(u"G:\\sub\\g.doc", "22");
    fs::create_directories(Work("system.sav/logs"));
    Names categories{u"documents"};
    ASSERT_EQ(0, Scan(u"", categories));
    ASSERT_EQ(3u, count);
    auto posted = host.Drain();
    std::vector<std::pair<long long, CString>> scanned;
    for (const auto& p : posted)
        if (p.message == host.operationStr && p.wParam == MSG_OPERATION_SCAN_DRIVE) scanned.emplace_back(p.wParam, p.text);
    EXPECT_EQ((std::vector<std::pair<long long, CString>>{{MSG_OPERATION_SCAN_DRIVE, u"C:\\"},
                                                          {MSG_OPERATION_SCAN_DRIVE, u"G:\\"}}),
              scanned);
    EXPECT_EQ((std::vector<long long>{MSG_ERROR_DRIVE_INFO_FAILED, MSG_ERROR_DRIVE_INVALID, MSG_ERROR_DRIVE_INVALID,
                                      MSG_ERROR_DRIVE_OPEN_FAILED, MSG_ERROR_DRIVE_INVALID}),
              Codes(posted, host.errorStr));
    Names files = Fetch();
    std::sort(files.begin(), files.end());
    // The type list on C:\lists is a document too.
    EXPECT_EQ((Names{u"C:\\a.doc", u"C:\\lists\\types.txt", u"G:\\sub\\g.doc"}), files);
    EXPECT_EQ(3u + sizeof kTypeList - 1, total);
    // With no folder given the copy goes below the current folder.
    EXPECT_EQ(3u, ReadUtf16Lines(Work("system.sav/logs/ScanFolder_SourceFileList.log")).size());
    EXPECT_TRUE(Logged("MSG_ERROR_DRIVE_INVALID - Drive E:\\ is not a Hard Drive!"));
}

class RejectedDrivesScanTest : public ScanExportTest {
protected:
    RejectedDrivesScanTest() : ScanExportTest({"C,fixed,active", "D,removable"}) {}
};

TEST_F(RejectedDrivesScanTest, NoAcceptedDriveMeansNothingScanned) {
    drives.Write(u"C:\\a.doc", "1");
    Names categories{u"documents"};
    EXPECT_EQ(1, Scan(u"", categories));
    EXPECT_EQ(0u, count);
    auto posted = host.Drain();
    EXPECT_TRUE(Codes(posted, host.progressStr).empty());
    EXPECT_TRUE(HasCode(posted, host.operationStr, MSG_OPERATION_AUTO_SELECTION_END));
    EXPECT_FALSE(HasCode(posted, host.operationStr, MSG_OPERATION_SCAN_DRIVE));
    EXPECT_FALSE(HasCode(posted, host.errorStr, MSG_ERROR_SCAN_FOLDER_FAILED));
    EXPECT_FALSE(HostExists(Work("SourceFileList.log")));
}

}  // namespace
