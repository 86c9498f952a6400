// BackupRaw end to end, through the loaded module as a host calls it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "services/local_time.h"
#include "testhost.h"
#include "tmpfs_mount.h"

namespace fs = std::filesystem;
using namespace qxtest;

namespace {

const WCHAR kStampFormat[] = u"%Y-%m-%d %H%M%S";

// Sub-folders of a host folder, by name.
std::vector<std::string> SubFolders(const std::string& hostFolder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(hostFolder, ec))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Every file below a host folder, as paths relative to it.
std::vector<std::string> FilesBelow(const std::string& hostFolder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(hostFolder, ec))
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), hostFolder).string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<CString> Texts(const std::vector<Posted>& posted, UINT message) {
    std::vector<CString> texts;
    for (const auto& p : posted)
        if (p.message == message) texts.push_back(p.text);
    return texts;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class BackupRawTest : public ::testing::Test {
protected:
    void SetUp() override { ContinueCounter::Reset(); }

    // Runs BackupRaw and keeps what the host saw.
    int Run(std::vector<CString>* files, const CString& destination, ContinueCallback callback = nullptr) {
        before = LocalTimeText(kStampFormat).ToUtf8();
        int result = module.BackupRaw(host.handle(), files, destination, callback);
        after = LocalTimeText(kStampFormat).ToUtf8();
        posted = host.Drain();
        return result;
    }

    // The one time-stamped folder below a host folder, checked against the call's time.
    std::string StampFolder(const std::string& hostDestination) const {
        std::vector<std::string> folders = SubFolders(hostDestination);
        EXPECT_EQ(folders.size(), 1u);
        if (folders.size() != 1) return "";
        const std::string& name = folders[0];
        EXPECT_TRUE(std::regex_match(name, std::regex(R"(\d{4}-\d{2}-\d{2} \d{6})"))) << name;
        EXPECT_LE(before, name);
        EXPECT_GE(after, name);
        return hostDestination + "/" + name;
    }

    std::vector<long long> Errors() const { return Codes(posted, host.errorStr); }
    std::vector<long long> Operations() const { return Codes(posted, host.operationStr); }
    std::vector<std::string> DbgLogMessages() const { return ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log"); }

    TestDrives drives{{"C", "D,fixed,free=1000"}};
    Module module;
    HostWindow host;
    std::vector<Posted> posted;
    std::string before, after;
};

TEST_F(BackupRawTest, CopiesEachFileBelowTheTimeStampedFolderByDriveAndPath) {
    drives.Write(u"C:\\Users\\me\\a.txt", "alpha");
    drives.Write(u"C:\\Users\\me\\sub\\b.doc", "bravo");
    drives.Write(u"D:\\data\\c.bin", "charlie");
    std::vector<CString> files = {u"C:\\Users\\me\\a.txt", u"C:\\Users\\me\\sub\\b.doc", u"D:\\data\\c.bin"};

    ASSERT_EQ(Run(&files, u"D:\\backup", ContinueCounter::Continue), 0);

    const std::string stamp = StampFolder(drives.Root('D') + "/backup");
    EXPECT_EQ(ReadHostFile(stamp + "/C/Users/me/a.txt"), "alpha");
    EXPECT_EQ(ReadHostFile(stamp + "/C/Users/me/sub/b.doc"), "bravo");
    EXPECT_EQ(ReadHostFile(stamp + "/D/data/c.bin"), "charlie");
    EXPECT_EQ(FilesBelow(stamp), (std::vector<std::string>{"C/Users/me/a.txt", "C/Users/me/sub/b.doc",
                                                           "D/data/c.bin", "SourceFileList.log"}));

    // The list log: UTF-16 LE with BOM, one path per CR LF line, as listed.
    bool bom = false, crlf = false;
    EXPECT_EQ(ReadUtf16Lines(stamp + "/SourceFileList.log", &bom, &crlf), files);
    EXPECT_TRUE(bom);
    EXPECT_TRUE(crlf);

    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START, MSG_OPERATION_BACKUPRAW_END}));
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Texts(posted, host.progressStr),
              (std::vector<CString>{u"\\\\?\\C:\\Users\\me\\a.txt", u"\\\\?\\C:\\Users\\me\\sub\\b.doc",
                                    u"\\\\?\\D:\\data\\c.bin"}));
    // Asked once after every copy and once per list-log line, with the raw backup's kind.
    EXPECT_EQ(ContinueCounter::calls, 6);
    EXPECT_EQ(ContinueCounter::operations, std::set<int>{OP_BACKUPRAW});

    const std::string stampName = fs::path(stamp).filename().string();
    std::vector<std::string> log = DbgLogMessages();
    EXPECT_TRUE(Contains(log, "MSG_OPERATION_BACKUPRAW_START - BackupRaw testing start!"));
    // The copy goes into the folder's temporary name, which it leaves once complete.
    EXPECT_TRUE(Contains(log, "Copy \\\\?\\C:\\Users\\me\\a.txt to \\\\?\\D:\\backup\\" + stampName +
                                  ".incomplete\\C\\Users\\me\\a.txt successfully!"));
    EXPECT_EQ(log.back(), "Copy raw data end!");

    // The sources are untouched and the host's list is unchanged.
    EXPECT_EQ(ReadHostFile(drives.Host(u"C:\\Users\\me\\a.txt")), "alpha");
    EXPECT_EQ(files.size(), 3u);
}

TEST_F(BackupRawTest, CopiesKeepTheNamesAndAttributesOnDiskAndNeverMerge) {
    drives.Write(u"C:\\Users\\Ann\\Case.txt", "Case");
    drives.Write(u"C:\\Users\\Ann\\case.txt", "case");
    drives.Write(u"C:\\Users\\Ann\\CASE.TXT", "CASE");
    drives.Write(u"C:\\Users\\Ann\\Sub\\x.txt", "x");
    const DWORD folderBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    ASSERT_TRUE(SetFileAttributesW(u"C:\\Users\\Ann", folderBits));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\Users\\Ann\\Sub", FILE_ATTRIBUTE_SYSTEM));
    // Spelled as a scan of "C:\USERS\ANN" used to hand them over; the Case.txt
    // listed a second time is the same file.
    std::vector<CString> files = {u"C:\\USERS\\ANN\\Case.txt", u"C:\\Users\\Ann\\case.txt", u"c:\\users\\ann\\CASE.TXT",
                                  u"C:\\USERS\\ANN\\SUB\\x.txt", u"C:\\Users\\Ann\\Case.txt"};

    ASSERT_EQ(Run(&files, u"D:\\backup"), 0);

    const std::string stamp = StampFolder(drives.Root('D') + "/backup");
    EXPECT_EQ(FilesBelow(stamp), (std::vector<std::string>{"C/Users/Ann/CASE.TXT", "C/Users/Ann/Case.txt",
                                                           "C/Users/Ann/Sub/x.txt", "C/Users/Ann/case.txt",
                                                           "SourceFileList.log"}));
    EXPECT_EQ(ReadHostFile(stamp + "/C/Users/Ann/Case.txt"), "Case");
    EXPECT_EQ(ReadHostFile(stamp + "/C/Users/Ann/case.txt"), "case");
    EXPECT_EQ(ReadHostFile(stamp + "/C/Users/Ann/CASE.TXT"), "CASE");
    EXPECT_TRUE(Errors().empty());

    const CString copy = CString(u"D:\\backup\\") + CString::FromUtf8(fs::path(stamp).filename().string());
    EXPECT_EQ(GetFileAttributesW(copy + u"\\C\\Users\\Ann"), FILE_ATTRIBUTE_DIRECTORY | folderBits);
    EXPECT_EQ(GetFileAttributesW(copy + u"\\C\\Users\\Ann\\Sub"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(GetFileAttributesW(copy + u"\\C\\Users"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(BackupRawTest, FolderLinksOnTheWayAreNotFollowed) {
    drives.Write(u"C:\\real\\a.txt", "a");
    fs::create_directory_symlink(drives.Root('C') + "/real", drives.Root('C') + "/link");
    std::vector<CString> files = {u"C:\\link\\a.txt", u"C:\\real\\a.txt"};

    EXPECT_EQ(Run(&files, u"D:\\backup"), 1);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Texts(posted, host.errorStr)[0], CString(u"C:\\link\\a.txt"));
    EXPECT_EQ(FilesBelow(StampFolder(drives.Root('D') + "/backup")), (std::vector<std::string>{"C/real/a.txt"}));
}

TEST_F(BackupRawTest, DestinationWithOrWithoutTrailingBackslashGivesTheSameTree) {
    drives.Write(u"C:\\docs\\a.txt", "a");
    drives.Write(u"C:\\docs\\deep\\b.txt", "b");
    std::vector<CString> files = {u"C:\\docs\\a.txt", u"C:\\docs\\deep\\b.txt"};

    ASSERT_EQ(Run(&files, u"D:\\plain"), 0);
    const std::vector<std::string> plain = FilesBelow(StampFolder(drives.Root('D') + "/plain"));
    ASSERT_EQ(Run(&files, u"D:\\slash\\"), 0);
    const std::vector<std::string> slash = FilesBelow(StampFolder(drives.Root('D') + "/slash"));

    EXPECT_EQ(plain, slash);
    EXPECT_EQ(plain, (std::vector<std::string>{"C/docs/a.txt", "C/docs/deep/b.txt", "SourceFileList.log"}));
}

TEST_F(BackupRawTest, MissingFilesAreReportedAndLeftOutOfTheListLog) {
    drives.Write(u"C:\\real.txt", "real");
    std::vector<CString> files = {u"C:\\missing1.txt", u"C:\\real.txt", u"C:\\missing2.txt"};

    ASSERT_EQ(Run(&files, u"D:\\backup"), 0);

    const std::string stamp = StampFolder(drives.Root('D') + "/backup");
    EXPECT_EQ(ReadUtf16Lines(stamp + "/SourceFileList.log"), (std::vector<CString>{u"C:\\real.txt"}));
    EXPECT_EQ(ReadHostFile(stamp + "/C/real.txt"), "real");
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_CANNOT_FIND, MSG_ERROR_COPYDATA_CANNOT_FIND}));
    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START, MSG_OPERATION_BACKUPRAW_END}));
    EXPECT_TRUE(Contains(DbgLogMessages(), "MSG_ERROR_COPYDATA_CANNOT_FIND - C:\\missing2.txt file can't be found!"));
    EXPECT_EQ(files.size(), 3u);  // the host's own list is not changed
}

TEST_F(BackupRawTest, NoExistingFileFailsWithoutCreatingAnything) {
    std::vector<CString> files = {u"C:\\gone1.txt", u"C:\\gone2.txt"};

    EXPECT_EQ(Run(&files, u"D:\\backup"), 1);

    EXPECT_FALSE(HostExists(drives.Root('D') + "/backup"));
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_CANNOT_FIND, MSG_ERROR_COPYDATA_CANNOT_FIND,
                                                MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START}));
}

TEST_F(BackupRawTest, NullOrEmptyListFails) {
    EXPECT_EQ(Run(nullptr, u"D:\\backup"), 1);
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START}));

    std::vector<CString> empty;
    EXPECT_EQ(Run(&empty, u"D:\\backup"), 1);
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_BACKUPRAW_FAILED}));

    EXPECT_FALSE(HostExists(drives.Root('D') + "/backup"));
}

TEST_F(BackupRawTest, NullHostWindowPostsNothingAndStillCopies) {
    drives.Write(u"C:\\a.txt", "a");
    std::vector<CString> files = {u"C:\\a.txt", u"C:\\missing.txt"};

    before = LocalTimeText(kStampFormat).ToUtf8();
    EXPECT_EQ(module.BackupRaw(nullptr, &files, u"D:\\backup", nullptr), 0);
    after = LocalTimeText(kStampFormat).ToUtf8();

    EXPECT_TRUE(host.Drain().empty());
    EXPECT_EQ(FilesBelow(StampFolder(drives.Root('D') + "/backup")),
              (std::vector<std::string>{"C/a.txt", "SourceFileList.log"}));
}

TEST_F(BackupRawTest, AttributesOfTheSourceAreKeptOnSourceAndCopy) {
    drives.Write(u"C:\\ro.txt", "read only");
    drives.Write(u"C:\\plain.txt", "plain");
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", kept));
    const DWORD plainBefore = GetFileAttributesW(u"C:\\plain.txt");
    std::vector<CString> files = {u"C:\\ro.txt", u"C:\\plain.txt"};

    ASSERT_EQ(Run(&files, u"D:\\backup"), 0);

    const CString stamp = CString(u"D:\\backup\\") +
                          CString::FromUtf8(fs::path(StampFolder(drives.Root('D') + "/backup")).filename().string());
    EXPECT_EQ(GetFileAttributesW(u"C:\\ro.txt") & kept, kept);
    EXPECT_EQ(GetFileAttributesW(stamp + u"\\C\\ro.txt") & kept, kept);
    EXPECT_EQ(GetFileAttributesW(u"C:\\plain.txt"), plainBefore);
    EXPECT_EQ(GetFileAttributesW(stamp + u"\\C\\plain.txt") & kept, 0u);
    EXPECT_EQ(ReadHostFile(drives.Host(stamp + u"\\C\\ro.txt")), "read only");
}

TEST_F(BackupRawTest, SecondCallInTheSameSecondGetsAFolderOfItsOwn) {
    drives.Write(u"C:\\ro.txt", "first");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
    std::vector<CString> files = {u"C:\\ro.txt"};

    // Both calls must fall into one second; a second boundary between them means another try.
    std::vector<std::string> folders;
    for (int attempt = 0; attempt < 5; ++attempt) {
        fs::remove_all(drives.Root('D') + "/backup");
        ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
        drives.Write(u"C:\\ro.txt", "first");
        ASSERT_EQ(Run(&files, u"D:\\backup"), 0);
        drives.Write(u"C:\\ro.txt", "second");
        ASSERT_EQ(Run(&files, u"D:\\backup"), 0);
        folders = SubFolders(drives.Root('D') + "/backup");
        if (folders.size() == 2 && folders[1] == folders[0] + " (2)") break;
    }

    ASSERT_EQ(folders.size(), 2u);
    ASSERT_EQ(folders[1], folders[0] + " (2)");
    const std::string backup = drives.Root('D') + "/backup/";
    EXPECT_EQ(ReadHostFile(backup + folders[0] + "/C/ro.txt"), "first");
    EXPECT_EQ(ReadHostFile(backup + folders[1] + "/C/ro.txt"), "second");
    EXPECT_TRUE(HostExists(backup + folders[0] + "/SourceFileList.log"));
    EXPECT_TRUE(HostExists(backup + folders[1] + "/SourceFileList.log"));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(BackupRawTest, FileLargerThanTheFreeSpaceRemovesTheWholeFolder) {
    // Drive D reports 1000 free bytes: a file of exactly that size still fits.
    drives.Write(u"C:\\small.txt", "small");
    drives.Write(u"C:\\exact.bin", std::string(1000, 'e'));
    drives.Write(u"C:\\big.bin", std::string(1001, 'b'));
    drives.Write(u"C:\\after.txt", "after");
    std::vector<CString> files = {u"C:\\small.txt", u"C:\\exact.bin", u"C:\\big.bin", u"C:\\after.txt"};

    EXPECT_EQ(Run(&files, u"D:\\backup"), 1);

    EXPECT_TRUE(SubFolders(drives.Root('D') + "/backup").empty());
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_NOSPACE_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START}));
    EXPECT_EQ(Texts(posted, host.progressStr),
              (std::vector<CString>{u"\\\\?\\C:\\small.txt", u"\\\\?\\C:\\exact.bin"}));
    EXPECT_TRUE(
        Contains(DbgLogMessages(), "MSG_ERROR_COPYDATA_NOSPACE_FAILED - File C:\\big.bin are larger than destination drive!"));
    EXPECT_EQ(ReadHostFile(drives.Host(u"C:\\big.bin")), std::string(1001, 'b'));
    EXPECT_EQ(ReadHostFile(drives.Host(u"C:\\small.txt")), "small");
}

TEST_F(BackupRawTest, CancelAtAnyCallbackLeavesNothingOfTheRunAndSourcesAsTheyWere) {
    drives.Write(u"C:\\one.txt", "1");
    drives.Write(u"C:\\dir\\two.txt", "2");
    drives.Write(u"C:\\dir\\three.txt", "3");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\dir\\two.txt", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\dir", FILE_ATTRIBUTE_HIDDEN));
    const DWORD twoBefore = GetFileAttributesW(u"C:\\dir\\two.txt");
    // An earlier backup and a file of the user's in the destination, and a destination
    // path of which this run makes two levels.
    drives.Write(u"D:\\backup\\2001-01-01 000000\\C\\one.txt", "earlier");
    drives.Write(u"D:\\backup\\mine.txt", "mine");
    std::vector<CString> files = {u"C:\\one.txt", u"C:\\dir\\two.txt", u"C:\\dir\\three.txt"};
    const int callbacks = 6;  // three copies, then three list lines

    for (const CString& destination : {CString(u"D:\\backup"), CString(u"D:\\new\\deeper")}) {
        for (int cancelAt = 1; cancelAt <= callbacks; ++cancelAt) {
            SCOPED_TRACE(destination.ToUtf8() + ", cancelled at call " + std::to_string(cancelAt));
            ContinueCounter::Reset(cancelAt);

            EXPECT_EQ(Run(&files, destination, ContinueCounter::Continue), 1);

            EXPECT_GE(ContinueCounter::calls, cancelAt);
            EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_BACKUPRAW_FAILED}));
            EXPECT_EQ(SubFolders(drives.Root('D')), (std::vector<std::string>{"backup"}));
            EXPECT_EQ(SubFolders(drives.Root('D') + "/backup"), (std::vector<std::string>{"2001-01-01 000000"}));
            EXPECT_EQ(FilesBelow(drives.Root('D') + "/backup"),
                      (std::vector<std::string>{"2001-01-01 000000/C/one.txt", "mine.txt"}));
            EXPECT_EQ(GetFileAttributesW(u"C:\\dir\\two.txt"), twoBefore);
            EXPECT_EQ(ReadHostFile(drives.Host(u"C:\\dir\\two.txt")), "2");
        }
    }

    // One call more and it completes, with its list.
    ContinueCounter::Reset(callbacks + 1);
    EXPECT_EQ(Run(&files, u"D:\\new", ContinueCounter::Continue), 0);
    EXPECT_EQ(ReadUtf16Lines(StampFolder(drives.Root('D') + "/new") + "/SourceFileList.log"), files);
}

TEST_F(BackupRawTest, AnyFileNotCopiedFailsTheBackupAndIsNamed) {
    // A folder in the list exists but cannot be copied as a file.
    drives.Write(u"C:\\folder\\inside.txt", "x");
    drives.Write(u"C:\\good.txt", "good");

    for (const std::vector<CString>& order : {std::vector<CString>{u"C:\\folder", u"C:\\good.txt"},
                                              std::vector<CString>{u"C:\\good.txt", u"C:\\folder"}}) {
        fs::remove_all(drives.Root('D') + "/backup");
        std::vector<CString> files = order;
        EXPECT_EQ(Run(&files, u"D:\\backup"), 1);

        EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
        EXPECT_EQ(Texts(posted, host.errorStr), (std::vector<CString>{u"C:\\folder", CString()}));
        EXPECT_TRUE(Contains(DbgLogMessages(), "MSG_ERROR_COPYDATA_FAILED - Copy C:\\folder file failed!"));
        EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START}));
        // The folder stays with what was copied, without a list log.
        EXPECT_EQ(FilesBelow(StampFolder(drives.Root('D') + "/backup")), (std::vector<std::string>{"C/good.txt"}));
    }
}

TEST_F(BackupRawTest, DestinationThatFillsUpMidCopyFailsAndNamesEachFileNotCopied) {
    // E: claims plenty of free space, so every file passes the free-space check,
    // but it is a tmpfs of 64 KiB.
    TestDrives small{{"C", "E,fixed,free=1000000000"}};
    TmpfsMount tmpfs(small.Root('E'), "64k");
    if (!tmpfs.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    small.Write(u"C:\\one.bin", std::string(40 << 10, '1'));
    small.Write(u"C:\\two.bin", std::string(40 << 10, '2'));
    small.Write(u"C:\\three.txt", "3");
    std::vector<CString> files = {u"C:\\one.bin", u"C:\\two.bin", u"C:\\three.txt"};

    EXPECT_EQ(Run(&files, u"E:\\backup"), 1);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Texts(posted, host.errorStr)[0], CString(u"C:\\two.bin"));
    EXPECT_TRUE(Contains(ReadDbgLogMessages(small.WorkDir() + "/Dbg.log"),
                         "MSG_ERROR_COPYDATA_FAILED - Copy C:\\two.bin file failed!"));
    // What was copied stays, whole; no part of two.bin and no list log.
    const std::string stamp = StampFolder(small.Root('E') + "/backup");
    EXPECT_EQ(FilesBelow(stamp), (std::vector<std::string>{"C/one.bin", "C/three.txt"}));
    EXPECT_EQ(ReadHostFile(stamp + "/C/one.bin"), std::string(40 << 10, '1'));
}

TEST_F(BackupRawTest, ReadOnlySourceThatCannotBeReadFailsAndKeepsItsAttributes) {
    drives.Write(u"C:\\locked.txt", "locked");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\locked.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD before = GetFileAttributesW(u"C:\\locked.txt");
    // Another program holds the file open without sharing it.
    HANDLE other = CreateFileW(u"C:\\locked.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    std::vector<CString> files = {u"C:\\locked.txt"};

    EXPECT_EQ(Run(&files, u"D:\\backup"), 1);
    CloseHandle(other);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(GetFileAttributesW(u"C:\\locked.txt"), before);
    // No partial copy and no list log; the folders made on the way stay.
    EXPECT_TRUE(FilesBelow(StampFolder(drives.Root('D') + "/backup")).empty());
}

TEST_F(BackupRawTest, DestinationBelowAFileFailsToCreateFolders) {
    drives.Write(u"C:\\a.txt", "a");
    drives.Write(u"D:\\blocker", "user data");
    std::vector<CString> files = {u"C:\\a.txt"};

    EXPECT_EQ(Run(&files, u"D:\\blocker"), 1);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_CREATE_DIRECTORY_FAILED, MSG_ERROR_COPYDATA_FAILED,
                                                MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Texts(posted, host.errorStr)[1], CString(u"C:\\a.txt"));
    EXPECT_EQ(ReadHostFile(drives.Root('D') + "/blocker"), "user data");
}

TEST_F(BackupRawTest, AnOverLongPathInTheDebugLogIsMarkedAsCutNeverTakenForAnotherFile) {
    // A missing file whose path begins with the path of a file that is copied;
    // the debug log's limit of 2046 characters falls right after the copied
    // file's name in the line that names the missing one.
    const std::string missingLine = "MSG_ERROR_COPYDATA_CANNOT_FIND - ";
    const int folderLength = 2046 - static_cast<int>(missingLine.size()) - 6;
    CString folder = u"C:";
    while (folder.GetLength() < folderLength)
        folder += u"\\" + CString(u'd', std::min(200, folderLength - folder.GetLength() - 1));
    const CString copied = folder + u"\\a.txt";
    const CString missing = copied + u".gone";
    drives.Write(copied, "a");
    std::vector<CString> files = {copied, missing};

    ASSERT_EQ(Run(&files, u"D:\\backup"), 0);

    EXPECT_EQ(Texts(posted, host.errorStr), std::vector<CString>{missing});
    const std::vector<std::string> log = DbgLogMessages();
    EXPECT_FALSE(Contains(log, missingLine + copied.ToUtf8()));
    EXPECT_TRUE(Contains(log, missingLine + copied.Left(copied.GetLength() - 9).ToUtf8() + " [...cut]"));
    for (const std::string& line : log) EXPECT_LE(line.size(), 2046u);
}

TEST_F(BackupRawTest, DotDotAndLongPathPrefixInSourcesStayInsideTheBackupFolder) {
    drives.Write(u"C:\\docs\\a.txt", "a");
    drives.Write(u"C:\\top.txt", "top");
    drives.Write(u"D:\\backup\\top.txt", "user's own file next to the backups");
    std::vector<CString> files = {u"C:\\docs\\..\\docs\\a.txt", u"C:\\docs\\..\\..\\..\\top.txt",
                                  u"\\\\?\\C:\\docs\\a.txt"};

    ASSERT_EQ(Run(&files, u"D:\\backup"), 0);

    const std::string stamp = StampFolder(drives.Root('D') + "/backup");
    EXPECT_EQ(FilesBelow(stamp), (std::vector<std::string>{"C/docs/a.txt", "C/top.txt", "SourceFileList.log"}));
    EXPECT_EQ(ReadHostFile(drives.Root('D') + "/backup/top.txt"), "user's own file next to the backups");
    EXPECT_EQ(ReadUtf16Lines(stamp + "/SourceFileList.log"), files);
}

TEST_F(BackupRawTest, RefusedWhileAnotherOperationRuns) {
    drives.Write(u"C:\\a.txt", "a");
    HANDLE other = CreateMutexW(nullptr, FALSE, u"Mutex_Operation");
    ASSERT_NE(other, nullptr);
    std::vector<CString> files = {u"C:\\a.txt"};

    EXPECT_EQ(Run(&files, u"D:\\backup"), 1);
    CloseHandle(other);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_OPERATION_CONFLICT}));
    EXPECT_TRUE(Operations().empty());
    EXPECT_FALSE(HostExists(drives.Root('D') + "/backup"));
    EXPECT_TRUE(Contains(DbgLogMessages(), "MSG_ERROR_OPERATION_CONFLICT - Other operation has been start!"));

    // Once the other operation is gone the lock is free again.
    EXPECT_EQ(Run(&files, u"D:\\backup"), 0);
}

}  // namespace
