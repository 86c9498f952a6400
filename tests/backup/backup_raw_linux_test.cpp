// BackupRaw on what only the Linux personality can make: a drive that reports
// less free space than it has (the drive table's free= option), one that fills
// up during the copy (a small tmpfs), and file names Windows cannot hold.
#include "backup_raw_fixture.h"
#include "tmpfs_mount.h"

using namespace qxtest;
using namespace rawbackup;

namespace {

TEST_F(BackupRawTest, FileLargerThanTheFreeSpaceRemovesTheWholeFolder) {
    // Drive D reports 1000 free bytes: a file of exactly that size still fits.
    TestDrives limited{{"C", "D,fixed,free=1000"}};
    limited.Write(u"C:\\small.txt", "small");
    limited.Write(u"C:\\exact.bin", std::string(1000, 'e'));
    limited.Write(u"C:\\big.bin", std::string(1001, 'b'));
    limited.Write(u"C:\\after.txt", "after");
    std::vector<CString> files = {u"C:\\small.txt", u"C:\\exact.bin", u"C:\\big.bin", u"C:\\after.txt"};

    EXPECT_EQ(Run(&files, u"D:\\backup"), 1);

    EXPECT_TRUE(SubFolders(limited.Root('D') + "/backup").empty());
    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_NOSPACE_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Operations(), (std::vector<long long>{MSG_OPERATION_BACKUPRAW_START}));
    EXPECT_EQ(Texts(posted, host.progressStr),
              (std::vector<CString>{u"\\\\?\\C:\\small.txt", u"\\\\?\\C:\\exact.bin"}));
    EXPECT_TRUE(Contains(ReadDbgLogMessages(limited.WorkDir() + "/Dbg.log"),
                         "MSG_ERROR_COPYDATA_NOSPACE_FAILED - File C:\\big.bin are larger than destination drive!"));
    EXPECT_EQ(ReadHostFile(limited.Host(u"C:\\big.bin")), std::string(1001, 'b'));
    EXPECT_EQ(ReadHostFile(limited.Host(u"C:\\small.txt")), "small");
}

TEST_F(BackupRawTest, DestinationThatFillsUpMidCopyFailsAndNamesEachFileNotCopied) {
    // E: claims plenty of free space, so every file passes the free-space check,
    // but it is a tmpfs of 64 KiB.
    TestDrives small{{"C", "E,fixed,free=1000000000"}};
    TmpfsMount tmpfs(small.Root('E'), "64k");
    if (!tmpfs.mounted()) GTEST_SKIP() << TmpfsMount::kNotMounted;
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

// Files whose Linux names hold a colon, a quote or a '<' exist but no path can
// name them: they are not copied, and the backup fails naming each, never as
// missing, and never copies a file their names would match as a pattern.
TEST_F(BackupRawTest, AFileWhoseNameNoPathCanHoldFailsTheBackupAndIsNamed) {
    drives.Write(u"C:\\docs\\good.txt", "good");
    drives.Write(u"C:\\docs\\say.txt", "matched by say\"txt as a pattern");
    drives.Write(u"C:\\docs\\bxc.txt", "matched by b<c.txt as a pattern");
    WriteHostFile(drives.Root('C') + "/docs/at 10:30.txt", "colon");
    WriteHostFile(drives.Root('C') + "/docs/say\"txt", "quote");
    WriteHostFile(drives.Root('C') + "/docs/b<c.txt", "less-than");
    const CString colon = drives.Path(u"C:\\docs\\at 10:30.txt"), quote = drives.Path(u"C:\\docs\\say\"txt"),
                  less = drives.Path(u"C:\\docs\\b<c.txt");
    std::vector<CString> files = {colon, drives.Path(u"C:\\docs\\good.txt"), quote, less};

    EXPECT_EQ(Run(&files, drives.Path(u"D:\\backup")), 1);

    EXPECT_EQ(Errors(), (std::vector<long long>{MSG_ERROR_COPYDATA_FAILED, MSG_ERROR_COPYDATA_FAILED,
                                                MSG_ERROR_COPYDATA_FAILED, MSG_ERROR_BACKUPRAW_FAILED}));
    EXPECT_EQ(Texts(posted, host.errorStr), (std::vector<CString>{colon, quote, less, CString()}));
    EXPECT_EQ(FilesBelow(StampFolder(drives.Root('D') + "/backup")),
              (std::vector<std::string>{drives.RawCopyPlace(u"C:\\docs\\good.txt")}));
    EXPECT_EQ(ReadHostFile(drives.Root('C') + "/docs/at 10:30.txt"), "colon");
}

}  // namespace
