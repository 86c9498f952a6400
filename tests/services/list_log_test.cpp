// The file-list logs byte by byte on disk, and their copies.
#include <gtest/gtest.h>

#include "services/dbglog.h"
#include "services/notify.h"
#include "testhost.h"

using namespace qxtest;

namespace {

// UTF-16 LE bytes of text.
std::string Utf16(const std::u16string& text) {
    std::string out;
    for (char16_t ch : text) {
        out += static_cast<char>(ch & 0xFF);
        out += static_cast<char>(ch >> 8);
    }
    return out;
}
const std::string kBom = "\xFF\xFE";

class ListLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_strDebugLogFile = u"Dbg.log";
        g_pHostWnd = host.handle();
        g_pfnContinue = nullptr;
        drives.Write(u"C:\\logs\\keep.txt", "");
    }
    void TearDown() override {
        CloseDbgLog();
        g_pHostWnd = nullptr;
        g_pfnContinue = nullptr;
    }
    std::string Host(const CString& winPath) const { return drives.Host(winPath); }

    TestDrives drives;
    HostWindow host;
};

TEST_F(ListLogTest, WritesUtf16WithBomAndCrLf) {
    std::vector<CString> lines = {u"C:\\a.txt", u"C:\\Grüße\\😀.doc"};
    EXPECT_TRUE(WriteFileListLog(&lines, drives.Path(u"C:\\logs"), FALSE, FALSE));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\logs\\SourceFileList.log")),
              kBom + Utf16(u"C:\\a.txt\r\nC:\\Grüße\\😀.doc\r\n"));

    EXPECT_TRUE(WriteFileListLog(&lines, drives.Path(u"C:\\logs\\"), FALSE, TRUE));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\logs\\ExceptionFileList.log")),
              kBom + Utf16(u"C:\\a.txt\r\nC:\\Grüße\\😀.doc\r\n"));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(ListLogTest, ReplaceOrAppend) {
    std::vector<CString> first = {u"one", u"two"};
    std::vector<CString> second = {u"three"};
    ASSERT_TRUE(WriteFileListLog(&first, drives.Path(u"C:\\logs"), FALSE, FALSE));
    ASSERT_TRUE(WriteFileListLog(&second, drives.Path(u"C:\\logs"), FALSE, FALSE));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\logs\\SourceFileList.log")), kBom + Utf16(u"three\r\n"));

    ASSERT_TRUE(WriteFileListLog(&first, drives.Path(u"C:\\logs"), TRUE, FALSE));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\logs\\SourceFileList.log")), kBom + Utf16(u"three\r\none\r\ntwo\r\n"));

    // Appending to a file that does not exist yet starts it with the mark.
    ASSERT_TRUE(WriteFileListLog(&second, drives.Path(u"C:\\logs"), TRUE, TRUE));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\logs\\ExceptionFileList.log")), kBom + Utf16(u"three\r\n"));
}

TEST_F(ListLogTest, ReadOnlyListIsReplaced) {
    std::vector<CString> lines = {u"old"};
    ASSERT_TRUE(WriteFileListLog(&lines, drives.Path(u"C:\\logs"), FALSE, FALSE));
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\logs\\SourceFileList.log"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    lines = {u"new"};
    EXPECT_TRUE(WriteFileListLog(&lines, drives.Path(u"C:\\logs"), FALSE, FALSE));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\logs\\SourceFileList.log")), kBom + Utf16(u"new\r\n"));
}

TEST_F(ListLogTest, NoLinesWritesNothing) {
    std::vector<CString> none;
    EXPECT_FALSE(WriteFileListLog(&none, drives.Path(u"C:\\logs"), FALSE, FALSE));
    EXPECT_FALSE(WriteFileListLog(nullptr, drives.Path(u"C:\\logs"), FALSE, FALSE));
    EXPECT_FALSE(HostExists(Host(u"C:\\logs\\SourceFileList.log")));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(ListLogTest, UncreatableListIsReportedAsMinus231) {
    std::vector<CString> lines = {u"C:\\a.txt"};
    EXPECT_FALSE(WriteFileListLog(&lines, drives.Path(u"C:\\missing"), FALSE, FALSE));
    const std::vector<Posted> posted = host.Drain();
    EXPECT_EQ(Codes(posted, host.errorStr), std::vector<long long>{MSG_ERROR_CREATE_SOURCELIST_FAILED});
    CloseDbgLog();
    EXPECT_EQ(ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log"),
              std::vector<std::string>{"MSG_ERROR_CREATE_SOURCELIST_FAILED - Create source list log file failed!"});

    g_pHostWnd = nullptr;
    EXPECT_FALSE(WriteFileListLog(&lines, drives.Path(u"C:\\missing"), FALSE, FALSE));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(ListLogTest, CancellationLeavesNoFile) {
    std::vector<CString> lines = {u"a", u"b", u"c"};
    g_nOperation = OP_RESTORE;
    g_pfnContinue = ContinueCounter::Continue;
    ContinueCounter::Reset(2);
    EXPECT_FALSE(WriteFileListLog(&lines, drives.Path(u"C:\\logs"), FALSE, FALSE));
    EXPECT_EQ(ContinueCounter::calls, 2);
    EXPECT_EQ(ContinueCounter::operations, std::set<int>{OP_RESTORE});
    EXPECT_FALSE(HostExists(Host(u"C:\\logs\\SourceFileList.log")));
    EXPECT_TRUE(host.Drain().empty());

    // The callback is asked after every line, the last one included.
    ContinueCounter::Reset(4);
    EXPECT_TRUE(WriteFileListLog(&lines, drives.Path(u"C:\\logs"), FALSE, FALSE));
    EXPECT_EQ(ContinueCounter::calls, 3);
}

TEST_F(ListLogTest, CopyGoesOnlyWhereTheLogsFolderExists) {
    std::vector<CString> lines = {u"C:\\a.txt"};
    ASSERT_TRUE(WriteFileListLog(&lines, u".", FALSE, FALSE));
    const std::string list = ReadHostFile(drives.WorkDir() + "/SourceFileList.log");
    ASSERT_EQ(list, kBom + Utf16(u"C:\\a.txt\r\n"));

    CopyFileListLog(u"%ssystem.sav\\logs\\ScanFolder_%s", drives.Path(u"C:\\"));
    EXPECT_FALSE(HostExists(Host(u"C:\\system.sav")));

    drives.Write(u"C:\\system.sav\\logs\\other.txt", "");
    CopyFileListLog(u"%ssystem.sav\\logs\\ScanFolder_%s", drives.Path(u"C:\\"));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\system.sav\\logs\\ScanFolder_SourceFileList.log")), list);

    // An existing copy is overwritten, even a read-only one.
    lines = {u"C:\\b.txt"};
    ASSERT_TRUE(WriteFileListLog(&lines, u"", FALSE, FALSE));
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\system.sav\\logs\\ScanFolder_SourceFileList.log"), FILE_ATTRIBUTE_READONLY));
    CopyFileListLog(u"%ssystem.sav\\logs\\ScanFolder_%s", drives.Path(u"C:\\"));
    EXPECT_EQ(ReadHostFile(Host(u"C:\\system.sav\\logs\\ScanFolder_SourceFileList.log")),
              kBom + Utf16(u"C:\\b.txt\r\n"));
}

}  // namespace
