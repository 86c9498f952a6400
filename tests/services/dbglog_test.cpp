// The debug log on disk: entry format, truncation, attributes between
// operations, the image engine's own writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "services/dbglog.h"
#include "testhost.h"

using namespace qxtest;

namespace {

constexpr DWORD kReadOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

class DbgLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        CloseDbgLog();
        g_strDebugLogFile = u"Dbg.log";
    }
    void TearDown() override {
        CloseDbgLog();
        g_strDebugLogFile = u"Dbg.log";
    }
    std::string LogHost(const std::string& name = "Dbg.log") const { return drives.WorkDir() + "/" + name; }
    DWORD Attributes(const WCHAR* name) const { return GetFileAttributesW(name); }

    TestDrives drives;
};

TEST_F(DbgLogTest, EntryIsTimeStampLineThenMessageLineWithCrLf) {
    DbgLog(u"You will scan %s, %d files", u"C:\\", 12);
    const std::string bytes = ReadHostFile(LogHost());
    EXPECT_TRUE(std::regex_match(bytes, std::regex(R"(\[\d{4}-\d{2}-\d{2} \d{6}\]\r\nYou will scan C:\\, 12 files\r\n)")))
        << bytes;
}

TEST_F(DbgLogTest, LongMessageIsCutTo2046CharactersThatEndInTheCutMark) {
    const CString longText(u'x', 3000);
    DbgLog(u"%s", longText.GetString());
    DbgLog(u"%s", CString(u'y', 2046).GetString());  // the longest that fits
    // A cut never leaves half a surrogate pair.
    const CString smiles(u"\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600");
    DbgLog(u"%s%s", CString(u'z', 2036).GetString(), smiles.GetString());
    DbgLog(u"next");
    const std::vector<std::string> messages = ReadDbgLogMessages(LogHost());
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], std::string(2037, 'x') + " [...cut]");
    EXPECT_EQ(messages[1], std::string(2046, 'y'));
    EXPECT_EQ(messages[2], std::string(2036, 'z') + " [...cut]");
    EXPECT_EQ(messages[3], "next");
}

TEST_F(DbgLogTest, CharactersOutsideAsciiAreKept) {
    DbgLog(u"File %s", u"C:\\Bilder\\Grüße 😀.jpg");
    EXPECT_EQ(ReadDbgLogMessages(LogHost()), std::vector<std::string>{"File C:\\Bilder\\Grüße 😀.jpg"});
}

TEST_F(DbgLogTest, ClosedLogIsReadOnlyHiddenAndNextEntryStillAppends) {
    OpenDbgLogForOperation();
    DbgLog(u"first");
    const auto writtenAt = std::filesystem::last_write_time(LogHost());
    CloseDbgLog();

    const DWORD closed = Attributes(u"Dbg.log");
    ASSERT_NE(closed, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(closed & kReadOnlyHidden, kReadOnlyHidden);
    EXPECT_EQ(std::filesystem::last_write_time(LogHost()), writtenAt);

    DbgLog(u"second");
    EXPECT_EQ(Attributes(u"Dbg.log") & kReadOnlyHidden, kReadOnlyHidden);  // closed again after the entry
    EXPECT_EQ(ReadDbgLogMessages(LogHost()), (std::vector<std::string>{"first", "second"}));

    CloseDbgLog();
    OpenDbgLogForOperation();
    EXPECT_EQ(Attributes(u"Dbg.log") & kReadOnlyHidden, 0u);
    DbgLog(u"third");
    CloseDbgLog();
    EXPECT_EQ(ReadDbgLogMessages(LogHost()), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(Attributes(u"Dbg.log") & kReadOnlyHidden, kReadOnlyHidden);
}

TEST_F(DbgLogTest, UnopenableLogDropsEntriesAndRetriesLater) {
    g_strDebugLogFile = drives.Path(u"C:\\no such folder\\Dbg.log");
    OpenDbgLogForOperation();
    DbgLog(u"lost");
    CloseDbgLog();
    EXPECT_FALSE(HostExists(drives.Root('C') + "/no such folder"));

    g_strDebugLogFile = drives.Path(u"C:\\Dbg.log");
    DbgLog(u"kept");
    EXPECT_EQ(ReadDbgLogMessages(drives.Root('C') + "/Dbg.log"), std::vector<std::string>{"kept"});
}

TEST_F(DbgLogTest, NewFileNameTakesEffectWithTheNextOperation) {
    OpenDbgLogForOperation();
    DbgLog(u"a");
    EXPECT_EQ(SetDebugLogFileName(u"Other.log"), 1);
    DbgLog(u"b");
    CloseDbgLog();
    EXPECT_EQ(ReadDbgLogMessages(LogHost()), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Attributes(u"Dbg.log") & kReadOnlyHidden, kReadOnlyHidden);
    EXPECT_FALSE(HostExists(LogHost("Other.log")));

    OpenDbgLogForOperation();
    DbgLog(u"c");
    CloseDbgLog();
    EXPECT_EQ(ReadDbgLogMessages(LogHost("Other.log")), std::vector<std::string>{"c"});
    EXPECT_EQ(ReadDbgLogMessages(LogHost()), (std::vector<std::string>{"a", "b"}));
}

// The image engine's writer has its own stream on Dbg.log in the current
// folder; with the default setting both writers share the file entry by entry.
TEST_F(DbgLogTest, ImageEngineWriterUsesDbgLogInCurrentFolder) {
    g_strDebugLogFile = u"Other.log";
    ImgLog(u"WIM_MSG_PROGRESS %d", 1);
    DbgLog(u"module");
    EXPECT_EQ(ReadDbgLogMessages(LogHost()), std::vector<std::string>{"WIM_MSG_PROGRESS 1"});
    EXPECT_EQ(ReadDbgLogMessages(LogHost("Other.log")), std::vector<std::string>{"module"});
    CloseDbgLog();

    g_strDebugLogFile = u"Dbg.log";
    DbgLog(u"x");
    ImgLog(u"y");
    DbgLog(u"z");
    CloseDbgLog();
    EXPECT_EQ(Attributes(u"Dbg.log") & kReadOnlyHidden, kReadOnlyHidden);
    ImgLog(u"w");
    EXPECT_EQ(Attributes(u"Dbg.log") & kReadOnlyHidden, 0u);
    EXPECT_EQ(ReadDbgLogMessages(LogHost()),
              (std::vector<std::string>{"WIM_MSG_PROGRESS 1", "x", "y", "z", "w"}));
}

TEST(CodeTexts, TextsComeFromTheCodeTables) {
    EXPECT_EQ(CString(ErrorText(MSG_ERROR_OPERATION_CONFLICT)),
              CString(u"MSG_ERROR_OPERATION_CONFLICT - Other operation has been start!"));
    EXPECT_EQ(CString(OperationText(MSG_OPERATION_SCAN_DRIVE)),
              CString(u"MSG_OPERATION_SCAN_DRIVE - You will scan %s"));
    EXPECT_EQ(CString(ErrorText(MSG_ERROR_WIM_SPLIT_FAILED)), CString());
    EXPECT_EQ(CString(OperationText(MSG_OPERATION_BACKUP_END)), CString());
    EXPECT_EQ(CString(ErrorText(-1)), CString());
    EXPECT_EQ(CString(OperationText(99)), CString());
}

}  // namespace
