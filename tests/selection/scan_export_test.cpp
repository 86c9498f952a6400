// The scan and selection exports end to end, through the loaded module.
#include <algorithm>
#include <filesystem>

#include "scan_export_fixture.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

TEST_F(ScanExportTest, ListingModeReturnsTheCategoriesInFileOrder) {
    Names categories;
    EXPECT_EQ(0, Scan(u"", categories));
    EXPECT_EQ((Names{u"DOCUMENTS", u"PICTURES", u"MUSIC"}), categories);
    EXPECT_EQ(0u, count);
    auto posted = host.Drain();
    EXPECT_EQ((std::vector<long long>{MSG_OPERATION_AUTO_SELECTION_START, MSG_OPERATION_LOAD_TYPE_LIST_SUCCESS}),
              Codes(posted, host.operationStr));
    EXPECT_TRUE(Codes(posted, host.errorStr).empty());
    EXPECT_TRUE(Codes(posted, host.progressInt).empty());
    EXPECT_TRUE(Logged("MSG_OPERATION_AUTO_SELECTION_START - Auto selection start!"));
    EXPECT_TRUE(Logged("MSG_OPERATION_LOAD_TYPE_LIST_SUCCESS - Load type list successfully!"));
    auto log = Log();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
        return l.rfind("[Device Info]There are ", 0) == 0 && l.size() > 26 && l.substr(l.size() - 3) == " MB";
    }));
    EXPECT_FALSE(HostExists(Work("SourceFileList.log")));
    // The debug log is left read-only and hidden.
    DWORD attributes = GetFileAttributesW(u"Dbg.log");
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(ScanExportTest, CategoryNamesAreUpperCasedInEveryScript) {
    drives.Write(u"C:\\lists\\types.txt", "[D\xc3\xb6k\xc3\xbcmanlar]\r\ndoc\r\n[\xce\xb5\xce\xb9\xce\xba\xcf\x8c\xce\xbd\xce\xb5\xcf\x82]\r\n"
                                         "jpg\r\n[\xd0\xbc\xd1\x83\xd0\xb7\xd1\x8b\xd0\xba\xd0\xb0]\r\nmp3\r\n");
    Names categories;
    EXPECT_EQ(0, Scan(u"", categories));
    EXPECT_EQ((Names{u"DÖKÜMANLAR", u"ΕΙΚΌΝΕΣ", u"МУЗЫКА"}), categories);
}

TEST_F(ScanExportTest, ListingModeWithUnreadableTypeList) {
    Names categories;
    EXPECT_EQ(0, module.ScanFileArraySizeByPredefinedType(host.handle(), u"", drives.Path(u"C:\\missing.txt"),
                                                          &categories, &count, nullptr));
    EXPECT_TRUE(categories.empty());
    auto posted = host.Drain();
    EXPECT_EQ((std::vector<long long>{MSG_ERROR_LOAD_TYPE_LIST_FAILED}), Codes(posted, host.errorStr));
    EXPECT_TRUE(HasCode(posted, host.operationStr, MSG_OPERATION_LOAD_TYPE_LIST_SUCCESS));
    EXPECT_TRUE(Logged("MSG_ERROR_LOAD_TYPE_LIST_FAILED - Can't open type list file " +
                       drives.Path(u"C:\\missing.txt").ToUtf8() + ", error = 2"));
}

TEST_F(ScanExportTest, ScanOfOneFolderWithoutTrailingBackslash) {
    drives.Write(u"C:\\Users\\me\\report.doc", "12345");
    drives.Write(u"C:\\Users\\me\\Photos\\a.jpg", "1234567");
    drives.Write(u"C:\\Users\\me\\Photos\\b.tiff", "12");
    drives.Write(u"C:\\Users\\me\\song.mp3", "123");
    drives.Write(u"C:\\Users\\me\\notes.txt", "1");
    drives.Write(u"C:\\elsewhere.doc", "1");
    fs::create_directories(drives.Host(u"C:\\Users\\me\\system.sav\\logs"));

    Names categories{u"Pictures", u"documents", u"PICTURES"};
    ASSERT_EQ(0, Scan(drives.Path(u"C:\\Users\\me"), categories));
    EXPECT_EQ((Names{u"Pictures", u"documents"}), categories);
    ASSERT_EQ(4u, count);

    auto posted = host.Drain();
    // Start, the folder (as given, with a backslash), end.
    std::vector<Posted> operations;
    for (const auto& p : posted)
        if (p.message == host.operationStr) operations.push_back(p);
    ASSERT_EQ(3u, operations.size());
    EXPECT_EQ(MSG_OPERATION_AUTO_SELECTION_START, operations[0].wParam);
    EXPECT_EQ(MSG_OPERATION_SCAN_DRIVE, operations[1].wParam);
    EXPECT_EQ(drives.Path(u"C:\\Users\\me\\"), operations[1].text);
    EXPECT_EQ(MSG_OPERATION_AUTO_SELECTION_END, operations[2].wParam);
    EXPECT_TRUE(Codes(posted, host.errorStr).empty());
    // One percentage per file met, the last one 100 before the end message; one path per file taken.
    Names announced;
    std::vector<long long> percents;
    size_t lastPercentAt = 0, endAt = 0;
    for (size_t i = 0; i < posted.size(); ++i) {
        if (posted[i].message == host.progressStr) announced.push_back(posted[i].text);
        if (posted[i].message == host.progressInt) {
            percents.push_back(posted[i].wParam);
            EXPECT_EQ(PHASE_SCAN, posted[i].lParam);
            lastPercentAt = i;
        }
        if (posted[i].message == host.operationStr && posted[i].wParam == MSG_OPERATION_AUTO_SELECTION_END) endAt = i;
    }
    ASSERT_EQ(6u, percents.size());
    EXPECT_EQ(100, percents.back());
    EXPECT_LT(lastPercentAt, endAt);

    Names files = Fetch();
    EXPECT_EQ(15u, total);
    EXPECT_EQ(announced, files);
    Names sorted = files;
    std::sort(sorted.begin(), sorted.end());
    // The paths keep the names as on disk, the scan root's included.
    EXPECT_EQ((Names{drives.Path(u"C:\\Users\\me\\Photos\\a.jpg"), drives.Path(u"C:\\Users\\me\\Photos\\b.tiff"),
                     drives.Path(u"C:\\Users\\me\\notes.txt"), drives.Path(u"C:\\Users\\me\\report.doc")}),
              sorted);

    bool bom = false, crlf = false;
    EXPECT_EQ(files, ReadUtf16Lines(Work("SourceFileList.log"), &bom, &crlf));
    EXPECT_TRUE(bom);
    EXPECT_TRUE(crlf);
    EXPECT_EQ(files, ReadUtf16Lines(drives.Host(u"C:\\Users\\me\\system.sav\\logs\\ScanFolder_SourceFileList.log")));

    EXPECT_TRUE(Logged("MSG_OPERATION_SCAN_DRIVE - You will scan " + drives.Path(u"C:\\Users\\me\\").ToUtf8()));
    EXPECT_TRUE(Logged("You completed the selection!"));
    EXPECT_TRUE(Logged("MSG_OPERATION_AUTO_SELECTION_END - Auto selection end!"));

    // The list was handed over; the total stays.
    Names again;
    EXPECT_EQ(0, module.GetFileArrayByPredefinedType(&again, &total));
    EXPECT_TRUE(again.empty());
    EXPECT_EQ(15u, total);
}

TEST_F(ScanExportTest, TotalAboveFourGigabytesIsExact) {
    const ULONGLONG big = 3ULL << 30;
    drives.Write(u"C:\\big\\one.doc", "");
    drives.Write(u"C:\\big\\two.doc", "");
    fs::resize_file(drives.Host(u"C:\\big\\one.doc"), big);
    fs::resize_file(drives.Host(u"C:\\big\\two.doc"), big + 7);
    Names categories{u"documents"};
    ASSERT_EQ(0, Scan(drives.Path(u"C:\\big\\"), categories));
    ASSERT_EQ(2u, count);
    EXPECT_EQ(2u, Fetch().size());
    EXPECT_EQ(2 * big + 7, total);
}

TEST_F(ScanExportTest, NothingFoundEndsWithoutListAndWithFailure) {
    drives.Write(u"C:\\empty\\readme", "x");
    fs::create_directories(drives.Host(u"C:\\empty\\system.sav\\logs"));
    // A list left by an earlier run is not presented as this scan's.
    WriteHostFile(Work("SourceFileList.log"), "old");
    Names categories{u"music"};
    EXPECT_EQ(1, Scan(drives.Path(u"C:\\empty"), categories));
    EXPECT_EQ(0u, count);
    auto posted = host.Drain();
    EXPECT_TRUE(Codes(posted, host.errorStr).empty());
    EXPECT_TRUE(HasCode(posted, host.operationStr, MSG_OPERATION_AUTO_SELECTION_END));
    EXPECT_TRUE(HasCode(posted, host.progressInt, 100));
    EXPECT_FALSE(HostExists(drives.Host(u"C:\\empty\\system.sav\\logs\\ScanFolder_SourceFileList.log")));

    // A folder that does not exist, or one on a drive the machine lacks, is
    // no empty folder: the scan fails at once, the debug log names it, and
    // the host gets -252 (no path).
    for (const CString& missing : {drives.Path(u"C:\\Users\\anne"), drives.Path(u"Q:\\Docs")}) {
        EXPECT_EQ(1, Scan(missing, categories)) << missing.ToUtf8();
        EXPECT_EQ(0u, count);
        posted = host.Drain();
        EXPECT_EQ((std::vector<long long>{MSG_ERROR_SCAN_FOLDER_FAILED}), Codes(posted, host.errorStr));
        for (const Posted& p : posted) {
            if (p.message == host.errorStr) {
                EXPECT_EQ(0, p.lParam);
            }
        }
        EXPECT_FALSE(HasCode(posted, host.operationStr, MSG_OPERATION_AUTO_SELECTION_END));
        EXPECT_TRUE(Logged("MSG_ERROR_SCAN_FOLDER_FAILED - The folder " + missing.ToUtf8() +
                           " cannot be listed, error 3"));
    }
}

TEST_F(ScanExportTest, UnknownCategoryOrUnreadableListFailsTheScan) {
    drives.Write(u"C:\\f\\a.doc", "x");
    Names categories{u"Nothing"};
    EXPECT_EQ(1, Scan(drives.Path(u"C:\\f"), categories));
    auto posted = host.Drain();
    EXPECT_EQ((std::vector<long long>{MSG_ERROR_LOAD_TYPE_ARRAY_FAILED}), Codes(posted, host.errorStr));
    EXPECT_TRUE(HasCode(posted, host.operationStr, MSG_OPERATION_AUTO_SELECTION_END));
    EXPECT_TRUE(Logged("MSG_ERROR_LOAD_TYPE_ARRAY_FAILED - You don't put the type list! scan failed"));

    Names wanted{u"documents"};
    EXPECT_EQ(1, module.ScanFileArraySizeByPredefinedType(host.handle(), drives.Path(u"C:\\f"),
                                                          drives.Path(u"C:\\nope.txt"), &wanted, &count, nullptr));
    EXPECT_EQ((std::vector<long long>{MSG_ERROR_LOAD_TYPE_LIST_FAILED, MSG_ERROR_LOAD_TYPE_ARRAY_FAILED}),
              Codes(host.Drain(), host.errorStr));
    EXPECT_EQ(0u, count);
}

TEST_F(ScanExportTest, NullWindowPostsNothingAndGivesTheSameResult) {
    drives.Write(u"C:\\f\\a.doc", "x");
    Names categories{u"documents"};
    count = 0;
    EXPECT_EQ(0, module.ScanFileArraySizeByPredefinedType(nullptr, drives.Path(u"C:\\f"),
                                                          drives.Path(u"C:\\lists\\types.txt"), &categories, &count,
                                                          nullptr));
    EXPECT_EQ(1u, count);
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(ScanExportTest, SecondOperationIsRefused) {
    HANDLE other = CreateMutexW(nullptr, FALSE, u"Mutex_Operation");
    ASSERT_NE(nullptr, other);
    Names categories;
    EXPECT_EQ(1, Scan(u"", categories));
    EXPECT_TRUE(categories.empty());
    auto posted = host.Drain();
    EXPECT_EQ((std::vector<long long>{MSG_ERROR_OPERATION_CONFLICT}), Codes(posted, host.errorStr));
    EXPECT_TRUE(Codes(posted, host.operationStr).empty());
    CloseHandle(other);
    EXPECT_EQ(0, Scan(u"", categories));
    EXPECT_EQ(3u, categories.size());
}

TEST_F(ScanExportTest, CancelledScanKeepsWhatItFoundAndReportsNoCount) {
    for (int i = 10; i < 40; ++i) drives.Write(u"C:\\c\\f" + CString::FromUtf8(std::to_string(i)) + u".doc", "x");
    ContinueCounter::Reset(10);
    Names categories{u"documents"};
    EXPECT_EQ(1, Scan(drives.Path(u"C:\\c"), categories, ContinueCounter::Continue));
    EXPECT_EQ(ContinueCounter::operations, std::set<int>{OP_AUTO_SELECTION});
    EXPECT_EQ(0u, count);
    auto posted = host.Drain();
    EXPECT_TRUE(Codes(posted, host.errorStr).empty());  // a cancellation is not an error
    EXPECT_FALSE(HasCode(posted, host.operationStr, MSG_OPERATION_AUTO_SELECTION_END));
    EXPECT_FALSE(HasCode(posted, host.progressInt, 100));
    EXPECT_FALSE(HostExists(Work("SourceFileList.log")));
    Names partial;
    partial.reserve(100);
    EXPECT_EQ(0, module.GetFileArrayByPredefinedType(&partial, &total));
    EXPECT_GE(partial.size(), 7u);
    EXPECT_LE(partial.size(), 9u);
}

TEST_F(ScanExportTest, CancellingWhileTheListIsWrittenLeavesNoList) {
    for (int i = 0; i < 5; ++i) drives.Write(CString(u"C:\\c\\f") + CString(WCHAR(u'a' + i)) + u".doc", "x");
    Names categories{u"documents"};
    ContinueCounter::Reset();
    ASSERT_EQ(0, Scan(drives.Path(u"C:\\c"), categories, ContinueCounter::Continue));
    ASSERT_EQ(5u, count);
    const int scanPolls = ContinueCounter::calls - 5;  // one poll per list line follows the walk
    host.Drain();

    ContinueCounter::Reset(scanPolls + 1);
    EXPECT_EQ(1, Scan(drives.Path(u"C:\\c"), categories, ContinueCounter::Continue));
    EXPECT_EQ(ContinueCounter::operations, std::set<int>{OP_AUTO_SELECTION});
    EXPECT_EQ(5u, count);
    EXPECT_FALSE(HostExists(Work("SourceFileList.log")));
    auto posted = host.Drain();
    EXPECT_TRUE(Codes(posted, host.errorStr).empty());
    EXPECT_TRUE(HasCode(posted, host.operationStr, MSG_OPERATION_AUTO_SELECTION_END));
}

TEST_F(ScanExportTest, UserSelectionOnlyFramesTheHostsPicker) {
    EXPECT_EQ(1, module.GetFileArrayByUserSelection(host.handle(), u"ignored"));
    EXPECT_EQ((std::vector<long long>{MSG_OPERATION_USER_SELECTION_START, MSG_OPERATION_USER_SELECTION_END}),
              Codes(host.Drain(), host.operationStr));
    Names categories;
    Scan(u"", categories);  // an operation closes the log stream the selection left open
    auto log = Log();
    auto at = [&](const std::string& line) { return std::find(log.begin(), log.end(), line) - log.begin(); };
    EXPECT_LT(at("MSG_OPERATION_USER_SELECTION_START - User selection start!"), at("Open file browser!"));
    EXPECT_LT(at("Open file browser!"), at("MSG_OPERATION_USER_SELECTION_END - User selection end!"));
    EXPECT_LT(at("MSG_OPERATION_USER_SELECTION_END - User selection end!"), static_cast<long>(log.size()));
}

}  // namespace

namespace {

// Damaged type lists: what can still be read is read, lines stay lines, and a
// file too large to be one is refused before it takes memory.
TEST_F(ScanExportTest, ANulInALineDoesNotSwallowTheNextLine) {
    drives.Write(u"C:\\lists\\types.txt", std::string("[Documents]\r\ndoc\0junk\r\n[Pictures]\r\njpg\r\n", 38));
    drives.Write(u"C:\\Users\\me\\a.jpg", "1");
    drives.Write(u"C:\\Users\\me\\b.doc", "1");
    Names categories;
    EXPECT_EQ(0, Scan(u"", categories));
    EXPECT_EQ((Names{u"DOCUMENTS", u"PICTURES"}), categories);
    Names pictures{u"Pictures"};
    ASSERT_EQ(0, Scan(drives.Path(u"C:\\Users"), pictures));
    EXPECT_EQ((Names{drives.Path(u"C:\\Users\\me\\a.jpg")}), Fetch());
}

TEST_F(ScanExportTest, ATypeListTooLargeToBeOneIsRefused) {
    drives.Write(u"C:\\lists\\types.txt", "[Documents]\r\n" + std::string(9u << 20, 'x') + "\r\n[Pictures]\r\njpg\r\n");
    drives.Write(u"C:\\Users\\me\\a.jpg", "1");
    Names categories;
    EXPECT_EQ(0, Scan(u"", categories));
    EXPECT_TRUE(categories.empty());
    EXPECT_EQ((std::vector<long long>{MSG_ERROR_LOAD_TYPE_LIST_FAILED}), Codes(host.Drain(), host.errorStr));
    EXPECT_TRUE(Logged("MSG_ERROR_LOAD_TYPE_LIST_FAILED - Can't open type list file " +
                       drives.Path(u"C:\\lists\\types.txt").ToUtf8() + ", error = 27"));
    Names pictures{u"Pictures"};
    EXPECT_EQ(1, Scan(drives.Path(u"C:\\Users"), pictures));
    EXPECT_EQ(0u, count);
    EXPECT_EQ((std::vector<long long>{MSG_ERROR_LOAD_TYPE_LIST_FAILED, MSG_ERROR_LOAD_TYPE_ARRAY_FAILED}),
              Codes(host.Drain(), host.errorStr));
}

}  // namespace
