// restore and list say what a backup does not give back: a category it does
// not hold, and a big file the restore could not rebuild.
#include <gtest/gtest.h>

#include "qxfm_fixture.h"

using namespace qxtest;
using namespace qxfmtest;

namespace {

// A category the backup does not hold (a typo, or one never backed up) is an
// error, not a restore or listing of nothing that ends in success.
TEST_F(QxfmTool, RestoreAndListRefuseACategoryTheBackupDoesNotHold) {
    drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\n[Pictures]\r\njpg\r\n");
    drives.Write(u"C:\\docs\\report.doc", "report");
    ASSERT_EQ(Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Mon",
                   "C:\\docs\\report.doc"})
                  .status,
              0);
    const std::string reason = " failed: the backup in D:\\Backups holds no category Documnets, Music "
                               "(it holds DOCUMENTS, PICTURES)";
    ToolRun restore = Run({"restore", "D:\\Backups", "--to", "D:\\R", "--category", "documents", "--category",
                           "Documnets", "--category", "Music"});
    EXPECT_EQ(restore.status, 1) << restore.err;
    EXPECT_EQ(restore.LastErrLine(), "qxfm: restore" + reason) << restore.err;
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\R")));

    ToolRun list = Run({"list", "D:\\Backups", "--category", "Documnets", "--category", "Music"});
    EXPECT_EQ(list.status, 1) << list.err;
    EXPECT_EQ(list.out, "");
    EXPECT_EQ(list.LastErrLine(), "qxfm: list" + reason) << list.err;

    // Letter case aside, a stored category is restored; one without files (PICTURES) is nothing missing.
    ToolRun good = Run({"restore", "D:\\Backups", "--to", "D:\\R", "--category", "documents", "--category",
                        "Pictures"});
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_EQ(Below(u"D:\\R", "/C/docs/report.doc").size(), 1u);
}

// The pieces of a big file whose catalog entry does not match them stay in the
// restore folder; the file does not come back, and the restore fails naming it.
TEST_F(QxfmTool, ABigFileTheRestoreCouldNotRebuildFailsItAndIsNamed) {
    const size_t bigBytes = (100u << 20) + 4096;
    MakeSampleTree(drives, bigBytes);
    ASSERT_EQ(Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Big", "--split-mb", "100",
                   "--compress", "none", "--category", "Video", "--category", "Documents", "--from-scan",
                   "--folder", "C:\\Users\\ann"})
                  .status,
              0);
    // The catalog records the big file a byte larger than its pieces are.
    const std::string catalog = drives.Host(u"D:\\Backups\\Tarvolen.fbu");
    std::string stored = ReadHostFile(catalog);
    const std::string size(reinterpret_cast<const char*>(&bigBytes), 8);  // as stored: 64 bits, little-endian
    const size_t at = stored.find(size);
    ASSERT_NE(at, std::string::npos);
    stored[at] = static_cast<char>(stored[at] + 1);
    RunCommand("chmod u+w '" + catalog + "'");
    WriteHostFile(catalog, stored);

    ToolRun restore = Run({"restore", "D:\\Backups", "--to", "D:\\R"});
    EXPECT_EQ(restore.status, 1) << restore.err;
    EXPECT_EQ(restore.LastErrLine(), "qxfm: restore failed: Do big files merge failed! (Dbg.log names the file)")
        << restore.err;
    const std::string log = ReadHostFile(drives.WorkDir() + "/Dbg.log");
    EXPECT_NE(log.find("\\C\\Users\\ann\\Videos\\holiday.avi could not be rebuilt from its pieces, which stay"),
              std::string::npos)
        << log;
    EXPECT_EQ(Below(u"D:\\R", "/C/Users/ann/Documents/report.doc").size(), 1u);
    EXPECT_TRUE(Below(u"D:\\R", "/holiday.avi").empty());
    EXPECT_EQ(Below(u"D:\\R", "/holiday.avi.000").size(), 1u);
}

}  // namespace
