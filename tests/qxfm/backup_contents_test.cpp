// Looking into a stored backup: image names and descriptions as other WIM
// tools show them, the listing of what a backup holds, and the deep check.
#include <gtest/gtest.h>

#include <filesystem>
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

namespace {

TEST_F(BackupContents, ListShowsTheStoredFilesPerDriveAndCategory) {
    BackUp();
    ToolRun list = Run({"list", "D:\\Backups"});
    ASSERT_EQ(list.status, 0) << list.err;
    // Each image under its name, each file with its time and size as stored.
    const std::regex report(R"(C: DOCUMENTS\n(.*\n)*  \d{4}-\d\d-\d\d \d\d:\d\d:\d\d +17  C:\\Users\\ann\\Documents\\report\.doc\n)");
    EXPECT_TRUE(std::regex_search(list.out, report)) << list.out;
    EXPECT_NE(list.out.find("        9  D:\\Archive\\old letter.doc\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("D: PICTURES\n"), std::string::npos);
    EXPECT_LT(list.out.find("C: MUSIC\n"), list.out.find("D: DOCUMENTS\n"));

    ToolRun music = Run({"list", "D:\\Backups", "--category", "music", "--long"});
    ASSERT_EQ(music.status, 0) << music.err;
    EXPECT_EQ(music.out.find("DOCUMENTS"), std::string::npos) << music.out;
    EXPECT_TRUE(std::regex_search(music.out, std::regex(R"(       90000  [-RHSAL]{5}  C:\\Users\\ann\\Music\\song\.mp3\n)")))
        << music.out;
}

TEST_F(BackupContents, ListShowsABigFileOnceWithItsWholeSize) {
    const size_t big = (100u << 20) + 4096;  // above the 100 MiB split size: two pieces
    MakeSampleTree(drives, big);
    ToolRun backup = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Big", "--split-mb",
                          "100", "--compress", "none", "C:\\Users\\ann\\Videos\\holiday.avi",
                          "C:\\Users\\ann\\Music\\song.mp3"});
    ASSERT_EQ(backup.status, 0) << backup.err;
    ToolRun list = Run({"list", "D:\\Backups", "--category", "video"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("   104861696  C:\\Users\\ann\\Videos\\holiday.avi  (stored in 2 pieces)\n"),
              std::string::npos)
        << list.out;
    EXPECT_EQ(list.out.find("holiday.avi.00"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("  1 files, 104861696 bytes\n"), std::string::npos) << list.out;

    // Damage in a piece is reported for the big file, with the part that holds it.
    const std::string tail = NoiseBytes(big, 5).substr(big - 4096);
    std::string holder;
    for (const std::string& part : Below(u"D:\\Backups", ".swm")) {
        std::string bytes = ReadHostFile(part);
        const size_t at = bytes.find(tail.substr(1000, 64));
        if (at == std::string::npos) continue;
        bytes[at + 3] ^= 0x01;
        WriteHostFile(part, bytes);
        holder = part;
    }
    ASSERT_FALSE(holder.empty());
    ToolRun verify = Run({"verify", "--deep", "D:\\Backups"});
    EXPECT_EQ(verify.status, 1) << verify.err;
    EXPECT_EQ(verify.out, "damaged: C:\\Users\\ann\\Videos\\holiday.avi (piece holiday.avi.001) in C: VIDEO\n");
    const std::string partName = holder.substr(holder.rfind('/') + 1);
    EXPECT_NE(verify.LastErrLine().find("(parts: D:\\Backups\\" + partName + ")"), std::string::npos)
        << verify.err;

    // A part that is gone is named.
    ASSERT_TRUE(HostExists(drives.Host(u"D:\\Backups\\Big2.swm")));
    std::filesystem::remove(drives.Host(u"D:\\Backups\\Big2.swm"));
    ToolRun incomplete = Run({"verify", "D:\\Backups"});
    EXPECT_EQ(incomplete.status, 1);
    EXPECT_EQ(incomplete.LastErrLine(), "qxfm: verify failed: the backup in D:\\Backups is missing D:\\Backups\\Big2.swm")
        << incomplete.err;

    // A piece name that is taken keeps the big file whole, and so the image: exit 3 names it.
    WriteHostFile(drives.Host(u"C:\\Users\\ann\\Videos\\holiday.avi.000"), "not a piece");
    ToolRun whole = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Whole", "--name", "Big", "--split-mb",
                         "100", "--compress", "none", "C:\\Users\\ann\\Videos\\holiday.avi"});
    EXPECT_EQ(whole.status, 3) << whole.err;
    EXPECT_EQ(whole.LastErrLine(), "qxfm: backed up, but the image could not be split and stays whole: the piece name "
                                   "C:\\Users\\ann\\Videos\\holiday.avi.000 is taken, so the big file was not cut")
        << whole.err;
}

TEST_F(BackupContents, CtrlCStopsTheDeepCheck) {
    BackUp();
    options.extraEnv = {"QXFM_CANCEL_AFTER=5"};
    ToolRun run = Run({"verify", "--deep", "D:\\Backups"});
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_EQ(run.LastErrLine(), "qxfm: cancelled");
    EXPECT_EQ(run.out, "");
}

TEST_F(BackupContents, DeepVerifyNamesTheDamagedFileAndItsPart) {
    BackUp({"C:\\Users\\ann\\Documents\\notes.txt"});
    ToolRun sound = Run({"verify", "--deep", "D:\\Backups"});
    ASSERT_EQ(sound.status, 0) << sound.err;
    EXPECT_TRUE(std::regex_search(sound.out, std::regex(R"(is complete: \d+ files in 6 images read and checked in [0-9.]+ s\n)")))
        << sound.out;
    EXPECT_NE(sound.err.find("read 100%"), std::string::npos) << sound.err;

    // One flipped byte in the stored data of notes.txt (noise: kept as it is, not compressed).
    const std::string notes = tree.Find(u"C:\\Users\\ann\\Documents\\notes.txt")->content;
    std::string wim = ReadHostFile(Wim());
    const size_t at = wim.find(notes.substr(40000, 64));
    ASSERT_NE(at, std::string::npos);
    wim[at + 7] ^= 0x20;
    RunCommand("chmod u+w '" + Wim() + "'");
    WriteHostFile(Wim(), wim);

    ToolRun damaged = Run({"verify", "--deep", "D:\\Backups"});
    EXPECT_EQ(damaged.status, 1) << damaged.err;
    EXPECT_EQ(damaged.out, "damaged: C:\\Users\\ann\\Documents\\notes.txt in C: DOCUMENTS\n");
    EXPECT_EQ(damaged.LastErrLine(),
              "qxfm: verify failed: the backup in D:\\Backups is damaged (parts: D:\\Backups\\Monday.wim)");
    // The plain check only looks for the files.
    EXPECT_EQ(Run({"verify", "D:\\Backups"}).status, 0);
}

}  // namespace
