// restore and list say what a backup does not give back: a category it does
// not hold.
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

}  // namespace
