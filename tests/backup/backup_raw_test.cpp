// BackupRaw end to end, through the loaded module as a host calls it.
#include <filesystem>

#include "backup_raw_fixture.h"
#include "journal_entry.h"

namespace fs = std::filesystem;
using namespace qxtest;
using namespace rawbackup;

namespace {

TEST_F(BackupRawTest, CopiesEachFileBelowTheTimeStampedFolderByDriveAndPath) {
    drives.Write(u"C:\\Users\\me\\a.txt", "alpha");
    drives.Write(u"C:\\Users\\me\\sub\\b.doc", "bravo");
    drives.Write(u"D:\\data\\c.bin", "charlie");
    std::vector<CString> files = {drives.Path(u"C:\\Users\\me\\a.txt"), drives.Path(u"C:\\Users\\me\\sub\\b.doc"),
                                  drives.Path(u"D:\\data\\c.bin")};

    ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup"), ContinueCounter::Continue), 0);

    const std::string stamp = StampFolder(drives.Root('D') + "/backup");
    const std::string a = drives.RawCopyPlace(u"C:\\Users\\me\\a.txt");
    const std::string b = drives.RawCopyPlace(u"C:\\Users\\me\\sub\\b.doc");
    const std::string c = drives.RawCopyPlace(u"D:\\data\\c.bin");
    EXPECT_EQ(ReadHostFile(stamp + "/" + a), "alpha");
    EXPECT_EQ(ReadHostFile(stamp + "/" + b), "bravo");
    EXPECT_EQ(ReadHostFile(stamp + "/" + c), "charlie");
    EXPECT_EQ(FilesBelow(stamp), Sorted({a, b, c, "SourceFileList.log"}));
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\backup\\BackupRaw.journal")));  // the kept folder needs none

    // The list log: UTF-16 LE with BOM, one path per CR LF line, as listed.
    bool bom = false, crlf = false;
    EXPECT_EQ(ReadUtf16Lines(stamp + "/SourceFileList.log", &bom, &crlf), files);
    EXPECT_TRUE(bom);
    EXPECT_TRUE(crlf);

    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START, MSG_OPERATION_BACKUPRAW_END}));
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Texts(posted, host.progressStr),
              (std::vector<CString>{drives.Path(u"\\\\?\\C:\\Users\\me\\a.txt"),
                                    drives.Path(u"\\\\?\\C:\\Users\\me\\sub\\b.doc"),
                                    drives.Path(u"\\\\?\\D:\\data\\c.bin")}));
    // Asked once after every copy and once per list-log line, with the raw backup's kind.
    EXPECT_EQ(ContinueCounter::calls, 6);
    EXPECT_EQ(ContinueCounter::operations, std::set<int>{OP_BACKUPRAW});

    const CString stampName = CString::FromUtf8(fs::path(stamp).filename().string());
    std::vector<std::string> log = DbgLogMessages();
    EXPECT_TRUE(Contains(log, "MSG_OPERATION_BACKUPRAW_START - BackupRaw testing start!"));
    // The copy goes into the folder's temporary name, which it leaves once complete.
    const CString incomplete = drives.Path(u"\\\\?\\D:\\backup\\" + stampName + u".incomplete");
    EXPECT_TRUE(Contains(log, "Copy " + drives.Path(u"\\\\?\\C:\\Users\\me\\a.txt").ToUtf8() + " to " +
                                  CopyIn(incomplete, u"C:\\Users\\me\\a.txt").ToUtf8() + " successfully!"));
    EXPECT_EQ(log.back(), "Copy raw data end!");

    // The sources are untouched and the host's list is unchanged.
    EXPECT_EQ(ReadHostFile(drives.Host(u"C:\\Users\\me\\a.txt")), "alpha");
    EXPECT_EQ(files.size(), 3u);
}

TEST_F(BackupRawTest, CopiesKeepTheNamesAndAttributesOnDiskAndNeverMerge) {
    drives.Write(u"C:\\Users\\Ann\\Case.txt", "Case");
    if (HostExists(drives.Host(u"C:\\Users\\Ann\\case.txt")))
        GTEST_SKIP() << kOneCase;
    drives.Write(u"C:\\Users\\Ann\\case.txt", "case");
    drives.Write(u"C:\\Users\\Ann\\CASE.TXT", "CASE");
    drives.Write(u"C:\\Users\\Ann\\Sub\\x.txt", "x");
    // Folders too: each copy goes below its own folder's name.
    drives.Write(u"C:\\Users\\Ann\\Docs\\same.txt", "Docs");
    drives.Write(u"C:\\Users\\Ann\\docs\\same.txt", "docs");
    const DWORD folderBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\Users\\Ann"), folderBits));
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\Users\\Ann\\Sub"), FILE_ATTRIBUTE_SYSTEM));
    // Spelled as a scan of "C:\USERS\ANN" used to hand them over; the Case.txt
    // listed a second time is the same file.
    std::vector<CString> files = {drives.Path(u"C:\\USERS\\ANN\\Case.txt"), drives.Path(u"C:\\Users\\Ann\\case.txt"),
                                  drives.Path(u"c:\\users\\ann\\CASE.TXT"), drives.Path(u"C:\\USERS\\ANN\\SUB\\x.txt"),
                                  drives.Path(u"C:\\Users\\Ann\\Case.txt"), drives.Path(u"C:\\Users\\Ann\\Docs\\same.txt"),
                                  drives.Path(u"C:\\Users\\Ann\\docs\\same.txt")};

    ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);

    const std::string stamp = StampFolder(drives.Root('D') + "/backup");
    const std::string upper = drives.RawCopyPlace(u"C:\\Users\\Ann\\CASE.TXT");
    const std::string mixed = drives.RawCopyPlace(u"C:\\Users\\Ann\\Case.txt");
    const std::string lower = drives.RawCopyPlace(u"C:\\Users\\Ann\\case.txt");
    const std::string docsUpper = drives.RawCopyPlace(u"C:\\Users\\Ann\\Docs\\same.txt");
    const std::string docsLower = drives.RawCopyPlace(u"C:\\Users\\Ann\\docs\\same.txt");
    EXPECT_EQ(FilesBelow(stamp), Sorted({upper, mixed, drives.RawCopyPlace(u"C:\\Users\\Ann\\Sub\\x.txt"), lower,
                                         docsUpper, docsLower, "SourceFileList.log"}));
    EXPECT_EQ(ReadHostFile(stamp + "/" + docsUpper), "Docs");
    EXPECT_EQ(ReadHostFile(stamp + "/" + docsLower), "docs");
    EXPECT_EQ(ReadHostFile(stamp + "/" + mixed), "Case");
    EXPECT_EQ(ReadHostFile(stamp + "/" + lower), "case");
    EXPECT_EQ(ReadHostFile(stamp + "/" + upper), "CASE");
    EXPECT_TRUE(Errors().empty());

    const CString copy = StampBelowBackup(stamp);
    EXPECT_EQ(GetFileAttributesW(CopyIn(copy, u"C:\\Users\\Ann")), FILE_ATTRIBUTE_DIRECTORY | folderBits);
    EXPECT_EQ(GetFileAttributesW(CopyIn(copy, u"C:\\Users\\Ann\\Sub")), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(GetFileAttributesW(CopyIn(copy, u"C:\\Users")), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

// What every file system holds: one file listed in two spellings is copied
// once, and the copy's folders take the names and attributes of the source's.
TEST_F(BackupRawTest, AFileListedInTwoSpellingsIsCopiedOnceBelowFoldersAsOnDisk) {
    drives.Write(u"C:\\Users\\Ann\\Case.txt", "Case");
    drives.Write(u"C:\\Users\\Ann\\Sub\\x.txt", "x");
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\Users\\Ann"), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\Users\\Ann\\Sub"), FILE_ATTRIBUTE_SYSTEM));
    std::vector<CString> files = {drives.Path(u"C:\\USERS\\ANN\\Case.txt"), drives.Path(u"c:\\users\\ann\\CASE.TXT"),
                                  drives.Path(u"C:\\USERS\\ANN\\SUB\\x.txt")};

    ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);

    const std::string stamp = StampFolder(drives.Root('D') + "/backup");
    const std::string copied = drives.RawCopyPlace(u"C:\\Users\\Ann\\Case.txt");
    EXPECT_EQ(FilesBelow(stamp),
              Sorted({copied, drives.RawCopyPlace(u"C:\\Users\\Ann\\Sub\\x.txt"), "SourceFileList.log"}));
    EXPECT_EQ(ReadHostFile(stamp + "/" + copied), "Case");
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(ReadUtf16Lines(stamp + "/SourceFileList.log"), files);

    const CString copy = StampBelowBackup(stamp);
    EXPECT_EQ(GetFileAttributesW(CopyIn(copy, u"C:\\Users\\Ann")), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesW(CopyIn(copy, u"C:\\Users\\Ann\\Sub")), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(GetFileAttributesW(CopyIn(copy, u"C:\\Users")), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(BackupRawTest, FolderLinksOnTheWayAreNotFollowed) {
    drives.Write(u"C:\\real\\a.txt", "a");
    if (!MakeLink(drives.Host(u"C:\\real"), drives.Host(u"C:\\link"), true)) GTEST_SKIP() << kNoLinks;
    std::vector<CString> files = {drives.Path(u"C:\\link\\a.txt"), drives.Path(u"C:\\real\\a.txt")};

    EXPECT_EQ(Run(&files, drives.Path(u"D:\\backup")), 1);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Texts(posted, host.errorStr)[0], drives.Path(u"C:\\link\\a.txt"));
    EXPECT_EQ(FilesBelow(StampFolder(drives.Root('D') + "/backup")),
              (std::vector<std::string>{drives.RawCopyPlace(u"C:\\real\\a.txt")}));
}

TEST_F(BackupRawTest, DestinationWithOrWithoutTrailingBackslashGivesTheSameTree) {
    drives.Write(u"C:\\docs\\a.txt", "a");
    drives.Write(u"C:\\docs\\deep\\b.txt", "b");
    std::vector<CString> files = {drives.Path(u"C:\\docs\\a.txt"), drives.Path(u"C:\\docs\\deep\\b.txt")};

    ASSERT_EQ(Run(&files, drives.Path(u"D:\\plain")), 0);
    const std::vector<std::string> plain = FilesBelow(StampFolder(drives.Root('D') + "/plain"));
    ASSERT_EQ(Run(&files, drives.Path(u"D:\\slash\\")), 0);
    const std::vector<std::string> slash = FilesBelow(StampFolder(drives.Root('D') + "/slash"));

    EXPECT_EQ(plain, slash);
    EXPECT_EQ(plain, Sorted({drives.RawCopyPlace(u"C:\\docs\\a.txt"), drives.RawCopyPlace(u"C:\\docs\\deep\\b.txt"),
                             "SourceFileList.log"}));
}

TEST_F(BackupRawTest, MissingFilesAreReportedAndLeftOutOfTheListLog) {
    drives.Write(u"C:\\real.txt", "real");
    std::vector<CString> files = {drives.Path(u"C:\\missing1.txt"), drives.Path(u"C:\\real.txt"),
                                  drives.Path(u"C:\\missing2.txt")};

    ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);

    const std::string stamp = StampFolder(drives.Root('D') + "/backup");
    EXPECT_EQ(ReadUtf16Lines(stamp + "/SourceFileList.log"), (std::vector<CString>{drives.Path(u"C:\\real.txt")}));
    EXPECT_EQ(ReadHostFile(stamp + "/" + drives.RawCopyPlace(u"C:\\real.txt")), "real");
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_CANNOT_FIND, MSG_ERROR_COPYDATA_CANNOT_FIND}));
    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START, MSG_OPERATION_BACKUPRAW_END}));
    EXPECT_TRUE(Contains(DbgLogMessages(), "MSG_ERROR_COPYDATA_CANNOT_FIND - " +
                                               drives.Path(u"C:\\missing2.txt").ToUtf8() + " file can't be found!"));
    EXPECT_EQ(files.size(), 3u);  // the host's own list is not changed
}

TEST_F(BackupRawTest, NoExistingFileFailsWithoutCreatingAnything) {
    std::vector<CString> files = {drives.Path(u"C:\\gone1.txt"), drives.Path(u"C:\\gone2.txt")};

    EXPECT_EQ(Run(&files, drives.Path(u"D:\\backup")), 1);

    EXPECT_FALSE(HostExists(drives.Root('D') + "/backup"));
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_CANNOT_FIND, MSG_ERROR_COPYDATA_CANNOT_FIND,
                                                MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START}));
}

TEST_F(BackupRawTest, NullOrEmptyListFails) {
    EXPECT_EQ(Run(nullptr, drives.Path(u"D:\\backup")), 1);
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START}));

    std::vector<CString> empty;
    EXPECT_EQ(Run(&empty, drives.Path(u"D:\\backup")), 1);
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_BACKUPRAW_FAILED}));

    EXPECT_FALSE(HostExists(drives.Root('D') + "/backup"));
}

TEST_F(BackupRawTest, NullHostWindowPostsNothingAndStillCopies) {
    drives.Write(u"C:\\a.txt", "a");
    std::vector<CString> files = {drives.Path(u"C:\\a.txt"), drives.Path(u"C:\\missing.txt")};

    before = LocalTimeText(kStampFormat).ToUtf8();
    EXPECT_EQ(module.BackupRaw(nullptr, &files, drives.Path(u"D:\\backup"), nullptr), 0);
    after = LocalTimeText(kStampFormat).ToUtf8();

    EXPECT_TRUE(host.Drain().empty());
    EXPECT_EQ(FilesBelow(StampFolder(drives.Root('D') + "/backup")),
              Sorted({drives.RawCopyPlace(u"C:\\a.txt"), "SourceFileList.log"}));
}

TEST_F(BackupRawTest, AttributesOfTheSourceAreKeptOnSourceAndCopy) {
    drives.Write(u"C:\\ro.txt", "read only");
    drives.Write(u"C:\\plain.txt", "plain");
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\ro.txt"), kept));
    const DWORD plainBefore = GetFileAttributesW(drives.Path(u"C:\\plain.txt"));
    std::vector<CString> files = {drives.Path(u"C:\\ro.txt"), drives.Path(u"C:\\plain.txt")};

    ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);

    const CString stamp = StampBelowBackup(StampFolder(drives.Root('D') + "/backup"));
    EXPECT_EQ(GetFileAttributesW(drives.Path(u"C:\\ro.txt")) & kept, kept);
    EXPECT_EQ(GetFileAttributesW(CopyIn(stamp, u"C:\\ro.txt")) & kept, kept);
    EXPECT_EQ(GetFileAttributesW(drives.Path(u"C:\\plain.txt")), plainBefore);
    EXPECT_EQ(GetFileAttributesW(CopyIn(stamp, u"C:\\plain.txt")) & kept, 0u);
    EXPECT_EQ(ReadHostFile(drives.Host(CopyIn(stamp, u"C:\\ro.txt"))), "read only");
}

TEST_F(BackupRawTest, SecondCallInTheSameSecondGetsAFolderOfItsOwn) {
    const CString ro = drives.Path(u"C:\\ro.txt");
    drives.Write(ro, "first");
    ASSERT_TRUE(SetFileAttributesW(ro, FILE_ATTRIBUTE_READONLY));
    std::vector<CString> files = {ro};

    // Both calls must fall into one second; a second boundary between them means another try.
    std::vector<std::string> folders;
    for (int attempt = 0; attempt < 5; ++attempt) {
        RemoveTree(drives.Root('D') + "/backup");
        ASSERT_TRUE(SetFileAttributesW(ro, FILE_ATTRIBUTE_NORMAL));
        drives.Write(ro, "first");
        ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);
        drives.Write(ro, "second");
        ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);
        folders = SubFolders(drives.Root('D') + "/backup");
        if (folders.size() == 2 && folders[1] == folders[0] + " (2)") break;
    }

    ASSERT_EQ(folders.size(), 2u);
    ASSERT_EQ(folders[1], folders[0] + " (2)");
    const std::string backup = drives.Root('D') + "/backup/";
    const std::string copy = drives.RawCopyPlace(u"C:\\ro.txt");
    EXPECT_EQ(ReadHostFile(backup + folders[0] + "/" + copy), "first");
    EXPECT_EQ(ReadHostFile(backup + folders[1] + "/" + copy), "second");
    EXPECT_TRUE(HostExists(backup + folders[0] + "/SourceFileList.log"));
    EXPECT_TRUE(HostExists(backup + folders[1] + "/SourceFileList.log"));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(BackupRawTest, CancelAtAnyCallbackLeavesNothingOfTheRunAndSourcesAsTheyWere) {
    drives.Write(u"C:\\one.txt", "1");
    drives.Write(u"C:\\dir\\two.txt", "2");
    drives.Write(u"C:\\dir\\three.txt", "3");
    const CString two = drives.Path(u"C:\\dir\\two.txt");
    ASSERT_TRUE(SetFileAttributesW(two, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\dir"), FILE_ATTRIBUTE_HIDDEN));
    const DWORD twoBefore = GetFileAttributesW(two);
    // An earlier backup and a file of the user's in the destination, and a destination
    // path of which this run makes two levels.
    drives.Write(u"D:\\backup\\2001-01-01 000000\\C\\one.txt", "earlier");
    drives.Write(u"D:\\backup\\mine.txt", "mine");
    std::vector<CString> files = {drives.Path(u"C:\\one.txt"), two, drives.Path(u"C:\\dir\\three.txt")};
    const int callbacks = 6;  // three copies, then three list lines

    for (const CString& destination : {drives.Path(u"D:\\backup"), drives.Path(u"D:\\new\\deeper")}) {
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
            EXPECT_EQ(GetFileAttributesW(two), twoBefore);
            EXPECT_EQ(ReadHostFile(drives.Host(u"C:\\dir\\two.txt")), "2");
        }
    }

    // One call more and it completes, with its list.
    ContinueCounter::Reset(callbacks + 1);
    EXPECT_EQ(Run(&files, drives.Path(u"D:\\new"), ContinueCounter::Continue), 0);
    EXPECT_EQ(ReadUtf16Lines(StampFolder(drives.Root('D') + "/new") + "/SourceFileList.log"), files);
}

TEST_F(BackupRawTest, AnyFileNotCopiedFailsTheBackupAndIsNamed) {
    // A folder in the list exists but cannot be copied as a file.
    drives.Write(u"C:\\folder\\inside.txt", "x");
    drives.Write(u"C:\\good.txt", "good");
    const CString folder = drives.Path(u"C:\\folder"), good = drives.Path(u"C:\\good.txt");

    for (const std::vector<CString>& order : {std::vector<CString>{folder, good}, std::vector<CString>{good, folder}}) {
        fs::remove_all(drives.Root('D') + "/backup");
        std::vector<CString> files = order;
        EXPECT_EQ(Run(&files, drives.Path(u"D:\\backup")), 1);

        EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
        EXPECT_EQ(Texts(posted, host.errorStr), (std::vector<CString>{folder, CString()}));
        EXPECT_TRUE(Contains(DbgLogMessages(), "MSG_ERROR_COPYDATA_FAILED - Copy " + folder.ToUtf8() + " file failed!"));
        EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START}));
        // The folder stays with what was copied, without a list log.
        EXPECT_EQ(FilesBelow(StampFolder(drives.Root('D') + "/backup")),
                  (std::vector<std::string>{drives.RawCopyPlace(u"C:\\good.txt")}));
    }
}

TEST_F(BackupRawTest, ReadOnlySourceThatCannotBeReadFailsAndKeepsItsAttributes) {
    const CString locked = drives.Path(u"C:\\locked.txt");
    drives.Write(locked, "locked");
    ASSERT_TRUE(SetFileAttributesW(locked, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD before = GetFileAttributesW(locked);
    // Another program holds the file open without sharing it.
    HANDLE other = CreateFileW(locked, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    std::vector<CString> files = {locked};

    EXPECT_EQ(Run(&files, drives.Path(u"D:\\backup")), 1);
    CloseHandle(other);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(GetFileAttributesW(locked), before);
    // No partial copy and no list log; the folders made on the way stay.
    EXPECT_TRUE(FilesBelow(StampFolder(drives.Root('D') + "/backup")).empty());
}

TEST_F(BackupRawTest, DestinationBelowAFileFailsToCreateFolders) {
    drives.Write(u"C:\\a.txt", "a");
    drives.Write(u"D:\\blocker", "user data");
    std::vector<CString> files = {drives.Path(u"C:\\a.txt")};

    EXPECT_EQ(Run(&files, drives.Path(u"D:\\blocker")), 1);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_CREATE_DIRECTORY_FAILED, MSG_ERROR_COPYDATA_FAILED,
                                                MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Texts(posted, host.errorStr)[1], drives.Path(u"C:\\a.txt"));
    EXPECT_EQ(ReadHostFile(drives.Root('D') + "/blocker"), "user data");
}

TEST_F(BackupRawTest, AnOverLongPathInTheDebugLogIsMarkedAsCutNeverTakenForAnotherFile) {
    // A missing file whose path begins with the path of a file that is copied;
    // the debug log's limit of 2046 characters falls right after the copied
    // file's name in the line that names the missing one.
    const std::string missingLine = "MSG_ERROR_COPYDATA_CANNOT_FIND - ";
    const int folderLength = 2046 - static_cast<int>(missingLine.size()) - 6;
    CString folder = drives.Path(u"C:");
    while (folder.GetLength() < folderLength)
        folder += u"\\" + CString(u'd', std::min(200, folderLength - folder.GetLength() - 1));
    const CString copied = folder + u"\\a.txt";
    const CString missing = copied + u".gone";
    drives.Write(copied, "a");
    std::vector<CString> files = {copied, missing};

    ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);

    EXPECT_EQ(Texts(posted, host.errorStr), std::vector<CString>{missing});
    const std::vector<std::string> log = DbgLogMessages();
    EXPECT_FALSE(Contains(log, missingLine + copied.ToUtf8()));
    EXPECT_TRUE(Contains(log, missingLine + copied.Left(copied.GetLength() - 9).ToUtf8() + " [...cut]"));
    for (const std::string& line : log) EXPECT_LE(line.size(), 2046u);
}

// A journal the module did not write, left in the destination: the raw
// backup acts on nothing it names outside the destination.
TEST_F(BackupRawTest, AJournalPlantedInTheDestinationCostsTheUserNothing) {
    drives.Write(u"C:\\a.txt", "a");
    drives.Write(u"C:\\victim.txt", "the user's");
    drives.Write(u"C:\\folder\\inside.txt", "the user's too");
    const std::u16string victim = drives.Path(u"C:\\victim.txt").GetString();
    const std::u16string folder = drives.Path(u"C:\\folder").GetString();
    WriteHostFile(drives.Host(u"D:\\backup\\BackupRaw.journal"),
                  JournalEntry(u'+', victim) + JournalEntry(u'w', folder) + JournalEntry(u'd', folder));
    std::vector<CString> files = {drives.Path(u"C:\\a.txt")};

    ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);

    EXPECT_EQ(ReadHostFile(drives.Host(u"C:\\victim.txt")), "the user's");
    EXPECT_EQ(ReadHostFile(drives.Host(u"C:\\folder\\inside.txt")), "the user's too");
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\backup\\BackupRaw.journal")));
}

TEST_F(BackupRawTest, DotDotAndLongPathPrefixInSourcesStayInsideTheBackupFolder) {
    drives.Write(u"C:\\docs\\a.txt", "a");
    drives.Write(u"C:\\top.txt", "top");
    drives.Write(u"D:\\backup\\top.txt", "user's own file next to the backups");
    // From docs two levels above the root, and down again to top.txt: where the
    // drive is a folder, above the system's root and down through the drive's folder.
    CString aboveTheRoot = drives.Path(u"C:\\docs\\");
    for (int level = 0; level < 3 + drives.FolderLevels('C'); ++level) aboveTheRoot += u"..\\";
    aboveTheRoot += drives.Path(u"C:\\top.txt").Mid(3);
    std::vector<CString> files = {drives.Path(u"C:\\docs\\..\\docs\\a.txt"), aboveTheRoot,
                                  drives.Path(u"\\\\?\\C:\\docs\\a.txt")};

    ASSERT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);

    const std::string stamp = StampFolder(drives.Root('D') + "/backup");
    EXPECT_EQ(FilesBelow(stamp), Sorted({drives.RawCopyPlace(u"C:\\docs\\a.txt"), drives.RawCopyPlace(u"C:\\top.txt"),
                                         "SourceFileList.log"}));
    EXPECT_EQ(ReadHostFile(drives.Root('D') + "/backup/top.txt"), "user's own file next to the backups");
    EXPECT_EQ(ReadUtf16Lines(stamp + "/SourceFileList.log"), files);
}

TEST_F(BackupRawTest, RefusedWhileAnotherOperationRuns) {
    drives.Write(u"C:\\a.txt", "a");
    HANDLE other = CreateMutexW(nullptr, FALSE, u"Mutex_Operation");
    ASSERT_NE(other, nullptr);
    std::vector<CString> files = {drives.Path(u"C:\\a.txt")};

    EXPECT_EQ(Run(&files, drives.Path(u"D:\\backup")), 1);
    CloseHandle(other);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_OPERATION_CONFLICT}));
    EXPECT_TRUE(Operations().empty());
    EXPECT_FALSE(HostExists(drives.Root('D') + "/backup"));
    EXPECT_TRUE(Contains(DbgLogMessages(), "MSG_ERROR_OPERATION_CONFLICT - Other operation has been start!"));

    // Once the other operation is gone the lock is free again.
    EXPECT_EQ(Run(&files, drives.Path(u"D:\\backup")), 0);
}

}  // namespace
