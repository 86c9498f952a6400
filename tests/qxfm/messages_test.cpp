// Messages that name what really happened: a lock held by another operation,
// a damaged or foreign catalog, and what a backup did with each file.
#include <gtest/gtest.h>

#include <filesystem>

#include "qxfm_fixture.h"
#include "tmpfs_mount.h"

using namespace qxtest;
using namespace qxfmtest;

namespace {

TEST_F(QxfmTool, ALockHeldByAnotherOperationIsNamedAsTheCause) {
    MakeSampleTree(drives);
    OtherProcessLock other;
    ASSERT_TRUE(other.holding());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Mon",
                                   "--from-scan", "--folder", "C:\\Users"},
          std::vector<std::string>{"scan", "--types", "C:\\types.txt", "--folder", "C:\\Users"}}) {
        ToolRun run = Run(args);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.LastErrLine(),
                  "qxfm: another operation of the library is running (it holds the operation lock); nothing was done")
            << run.err;
        EXPECT_EQ(run.err.find("type list"), std::string::npos) << run.err;
    }
}

TEST_F(QxfmTool, ADamagedOrForeignCatalogIsNotReportedAsMissing) {
    MakeSampleTree(drives);
    ASSERT_EQ(Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Mon",
                   "C:\\Users\\ann\\Documents\\report.doc"})
                  .status,
              0);
    const std::string catalog = drives.Host(u"D:\\Backups\\Tarvolen.fbu");
    const std::string stored = ReadHostFile(catalog);
    RunCommand("chmod u+w '" + catalog + "'");

    WriteHostFile(catalog, stored.substr(0, stored.size() / 2));  // cut short: damaged
    for (const char* command : {"categories-of", "restore"}) {
        ToolRun run = Run({command, "D:\\Backups", "--to", "D:\\R"});
        if (std::string(command) == "categories-of") run = Run({command, "D:\\Backups"});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.LastErrLine(), std::string("qxfm: ") + command +
                                         " failed: the backup catalog D:\\Backups\\Tarvolen.fbu cannot be read: "
                                         "it is damaged")
            << run.err;
    }

    std::string foreign = stored;
    foreign[4] = 'X';  // the first letter of the signature
    WriteHostFile(catalog, foreign);
    ToolRun run = Run({"categories-of", "D:\\Backups"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.LastErrLine(), "qxfm: categories-of failed: the backup catalog D:\\Backups\\Tarvolen.fbu holds no "
                                 "categories: it is damaged or not a backup catalog");
}

TEST_F(QxfmTool, BackupTellsWhatItStoredAndWhatItLeftOutAndWhy) {
    MakeSampleTree(drives);
    WriteHostFile(drives.Root('C') + "/Users/ann/at 10:30.doc", "a Linux name");
    ToolRun run = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Mon", "--exclude",
                       "Pictures", "C:\\Users\\ann\\Documents\\report.doc", "C:\\Users\\ann\\Music\\song.mp3",
                       "C:\\Users\\ann\\setup.bin", "C:\\Users\\ann\\Pictures\\beach.jpg",
                       "C:\\Users\\ann\\gone.doc", "C:\\Users\\ann\\at 10:30.doc"});
    // A file that exists and could not be stored makes the run exit with 4.
    ASSERT_EQ(run.status, 4) << run.err;
    EXPECT_EQ(WithoutSizesAndTimes(run.out),
              "D:\\Backups\\Mon.wim\n"
              "2 files stored in 1 image file(s)\n"
              "1 files of no category (not stored):\n"
              "  C:\\Users\\ann\\setup.bin\n"
              "3 files left out:\n"
              "  C:\\Users\\ann\\Pictures\\beach.jpg: excluded by --exclude Pictures\n"
              "  C:\\Users\\ann\\gone.doc: not found\n"
              "  C:\\Users\\ann\\at 10:30.doc: a name Windows cannot hold\n");

    ToolRun chosen = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Chosen", "--name", "Tue",
                          "--category", "Music", "C:\\Users\\ann\\Documents\\report.doc",
                          "C:\\Users\\ann\\Music\\song.mp3"});
    ASSERT_EQ(chosen.status, 0) << chosen.err;
    EXPECT_NE(WithoutSizesAndTimes(chosen.out).find("1 files stored in 1 image file(s)\n1 files left out:\n"
                              "  C:\\Users\\ann\\Documents\\report.doc: not in a chosen category\n"),
              std::string::npos)
        << chosen.out;
}

// A folder keeps one backup: qxfm replaces one of another name only when told
// to, and names it either way; the same name again is a new backup.
TEST_F(QxfmTool, ABackupOfAnotherNameIsReplacedOnlyWithReplace) {
    MakeSampleTree(drives);
    const std::vector<std::string> backup = {"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups",
                                             "C:\\Users\\ann\\Documents\\report.doc", "--name"};
    auto withName = [&](const std::vector<std::string>& last) {
        std::vector<std::string> args = backup;
        args.insert(args.end(), last.begin(), last.end());
        return Run(args);
    };
    ASSERT_EQ(withName({"Monday"}).status, 0);
    ASSERT_EQ(withName({"Monday"}).status, 0);
    ToolRun refused = withName({"Wednesday"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.LastErrLine().rfind("qxfm: backup: D:\\Backups holds the backup Monday of 20", 0), 0u)
        << refused.err;
    EXPECT_NE(refused.LastErrLine().find(" bytes), which the backup Wednesday would replace (a folder keeps one "
                                         "backup); give --replace to replace it"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(Below(u"D:\\Backups", ".wim").size(), 1u);
    EXPECT_FALSE(Below(u"D:\\Backups", "Monday.wim").empty());

    ToolRun replaced = withName({"Wednesday", "--replace"});
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_NE(replaced.out.find("replaced the backup Monday of 20"), std::string::npos) << replaced.out;
    EXPECT_FALSE(Below(u"D:\\Backups", "Wednesday.wim").empty());
}

// A Windows path is taken as qxfm.exe takes it: either slash, "." and "..",
// and a trailing backslash name the same file, which is backed up, not
// reported as of no category.
TEST_F(QxfmTool, BackupTakesAWindowsPathInAnySpelling) {
    drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\ntxt\r\n");
    drives.Write(u"C:\\docs\\a.doc", "a");
    drives.Write(u"C:\\docs\\b.txt", "b");
    drives.Write(u"C:\\docs\\c.doc", "c");
    ToolRun run = Run({"backup", "--types", "C:/types.txt", "--to", "D:/Backups/", "--name", "Mon", "C:/docs/a.doc",
                       "C:\\docs\\b.txt\\", "C:\\other\\..\\docs\\.\\c.doc"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(WithoutSizesAndTimes(run.out), "D:\\Backups\\Mon.wim\n3 files stored in 1 image file(s)\n");
    ToolRun list = Run({"list", "D:\\Backups\\"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(Count(list.out, "  C:\\docs\\"), 3u) << list.out;
}

// A file named in another letter case, or twice, is stored once under its own
// name, and the summary says so.
TEST_F(QxfmTool, BackupSummaryCountsAFileGivenInOtherSpellingsOnce) {
    drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\n");
    drives.Write(u"C:\\Docs\\Report.doc", "report");
    ToolRun run = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Mon",
                       "c:\\docs\\REPORT.doc", "C:\\Docs\\Report.doc", "C:\\Docs\\Report.doc"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(WithoutSizesAndTimes(run.out), "D:\\Backups\\Mon.wim\n1 files stored in 1 image file(s)\n");
}

TEST_F(QxfmTool, BackupNamesTheFilesTheImageCannotStoreAndExitsWith4) {
    drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\n");
    drives.Write(u"C:\\docs\\good.doc", "good");
    const std::string badName = "bad\xff name.doc";
    WriteHostFile(drives.Root('C') + "/docs/" + badName, "bad");
    ToolRun run = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Mon", "--from-scan",
                       "--folder", "C:\\docs", "--verbose"});
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_EQ(WithoutSizesAndTimes(run.out),
              "D:\\Backups\\Mon.wim\n"
              "1 files stored in 1 image file(s)\n"
              "1 files left out:\n"
              "  C:\\docs\\" + badName +
                  ": the image cannot store it: no mapping for the Unicode character exists in the target multi-byte "
                  "code page (system error 1113)\n");
    EXPECT_EQ(run.LastErrLine(), "qxfm: backed up, but the files listed as left out by the image are not in it")
        << run.err;
    // --verbose shows the library's own warning too.
    EXPECT_NE(run.err.find("file: C:\\docs\\" + badName + " ...failed! error code: 1113"), std::string::npos)
        << run.err;
}

// A folder whose Linux name Windows cannot spell cannot be listed: its files
// are missing from the scan, and neither the scan nor a backup of it is a
// success. A folder to scan that does not exist fails the scan.
TEST_F(QxfmTool, AFolderTheScanCouldNotListMakesScanAndBackupExitWith4) {
    drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\n");
    drives.Write(u"C:\\docs\\good.doc", "good");
    WriteHostFile(drives.Root('C') + "/docs/at 10:30/minutes.doc", "in a folder Windows cannot spell");
    const std::string missing = "qxfm: 1 folder could not be listed, so the files in it are missing; Dbg.log names it";

    ToolRun scan = Run({"scan", "--types", "C:\\types.txt", "--folder", "C:\\docs", "--list"});
    EXPECT_EQ(scan.status, 4) << scan.err;
    EXPECT_EQ(WithoutSizesAndTimes(scan.out), "C:\\docs\\good.doc\n1 files, 4 bytes\n");
    EXPECT_EQ(scan.LastErrLine(), missing) << scan.err;

    ToolRun backup = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Mon",
                          "--from-scan", "--folder", "C:\\docs"});
    EXPECT_EQ(backup.status, 4) << backup.err;
    EXPECT_EQ(WithoutSizesAndTimes(backup.out), "D:\\Backups\\Mon.wim\n1 files stored in 1 image file(s)\n");
    EXPECT_EQ(backup.LastErrLine(), missing) << backup.err;
    EXPECT_NE(ReadHostFile(drives.WorkDir() + "/Dbg.log").find("at 10:30"), std::string::npos);

    // A folder or drive that does not exist is no folder without files.
    for (const auto& [folder, why] : std::vector<std::pair<std::string, std::string>>{
             {"C:\\Users\\anne", ""}, {"Q:\\Docs", ": Q: is not a drive of the drive table (QXFM_DRIVES)"}}) {
        ToolRun run = Run({"scan", "--types", "C:\\types.txt", "--folder", folder});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.LastErrLine(), "qxfm: scan failed: " + folder + " does not exist" + why) << run.err;
    }
}

TEST_F(QxfmTool, BackupNamesAnOverLengthFileItCouldNotCopyAside) {
    std::string deep = "C:\\a";
    for (int i = 0; i < 9; ++i) deep += "\\a rather long folder name";
    deep += "\\report.doc";
    drives.Write(CString::FromUtf8(deep), "deep");
    for (int n = 1; n <= 99; ++n) drives.Write(CString::FromUtf8("C:\\_Exception" + std::to_string(n)), "a file");
    drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\n");
    drives.Write(u"C:\\docs\\good.doc", "good");
    ToolRun run = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Mon", deep,
                       "C:\\docs\\good.doc"});
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_NE(WithoutSizesAndTimes(run.out).find("1 files stored in 1 image file(s)\n1 files left out:\n  " + deep +
                           ": its path is too long and it could not be copied into an exception folder\n"),
              std::string::npos)
        << run.out;
}

// A delete that cannot remove everything names the first entry it left: here a
// mount point, which the delete does not go into.
TEST_F(QxfmTool, ADeleteThatLeavesAnEntryNamesIt) {
    drives.Write(u"D:\\Old\\a.txt", "a");
    std::filesystem::create_directories(drives.Host(u"D:\\Old\\Mounted"));
    TmpfsMount mount(drives.Host(u"D:\\Old\\Mounted"), "64k");
    if (!mount.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    WriteHostFile(drives.Host(u"D:\\Old\\Mounted\\b.txt"), "b");
    ToolRun run = Run({"delete", "D:\\Old"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.LastErrLine().rfind("qxfm: delete failed: D:\\Old\\Mounted", 0), 0u) << run.err;
    EXPECT_NE(run.LastErrLine().find(" could not be deleted (Dbg.log gives the system error), so D:\\Old stays"),
              std::string::npos)
        << run.err;
}

}  // namespace
