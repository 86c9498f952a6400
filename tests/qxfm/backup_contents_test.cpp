// Looking into a stored backup: image names and descriptions as other WIM
// tools show them, the listing of what a backup holds, and the deep check.
#include <gtest/gtest.h>

#include <regex>

#include "qxfm_fixture.h"

using namespace qxtest;
using namespace qxfmtest;

namespace {

class BackupContents : public QxfmTool {
protected:
    // Backs up files of C: and D: as "Monday" into D:\Backups.
    void BackUp(const std::vector<std::string>& extra = {}) {
        tree = MakeSampleTree(drives);
        std::vector<std::string> args = {"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name",
                                         "Monday", "C:\\Users\\ann\\Documents\\report.doc",
                                         "C:\\Users\\ann\\Music\\song.mp3", "D:\\Archive\\old letter.doc",
                                         "D:\\Archive\\Photos 2010\\lake.png"};
        args.insert(args.end(), extra.begin(), extra.end());
        ToolRun backup = Run(args);
        ASSERT_EQ(backup.status, 0) << backup.err;
    }
    std::string Wim() const { return drives.Host(u"D:\\Backups\\Monday.wim"); }

    SampleTree tree;
};

TEST_F(BackupContents, ImagesAreNamedAfterDriveAndCategoryAndDescribeTheBackup) {
    BackUp();
    int status = -1;
    const std::string info = RunCommand("wimlib-imagex info '" + Wim() + "'", &status);
    ASSERT_EQ(status, 0) << info;
    std::vector<std::string> names, descriptions;
    const std::regex line(R"((Name|Description):\s+(.*))");
    for (std::sregex_iterator it(info.begin(), info.end(), line), end; it != end; ++it)
        ((*it)[1] == "Name" ? names : descriptions).push_back((*it)[2]);
    // One image per drive and category of the backup, VIDEO having no file on either drive.
    EXPECT_EQ(names, (std::vector<std::string>{"C: DOCUMENTS", "C: PICTURES", "C: MUSIC", "D: DOCUMENTS",
                                               "D: PICTURES", "D: MUSIC"}))
        << info;
    ASSERT_EQ(descriptions.size(), names.size()) << info;
    for (const std::string& d : descriptions)
        EXPECT_TRUE(std::regex_match(d, std::regex(R"(Monday, \d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << d;
}

}  // namespace
