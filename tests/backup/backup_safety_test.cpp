// A backup that is cancelled, runs out of space or is killed leaves the
// user's files and an earlier backup in the same folder as they were, and
// nothing that gets in the way of the next backup.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "backup_host.h"
#include "sample_tree.h"
#include "tmpfs_mount.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

const ULONGLONG kMiB = 1048576;

struct BackupSafety : BackupHost {
    SampleTree tree;

    void SetUp() override {
        tree = MakeSampleTree(drives, 3 * kMiB);
    }
    // Both drives but the work folder; a restore goes to a drive of its own.
    std::map<std::string, std::string> Drives() const {
        auto state = TreeState(drives.Root('C'));
        for (const auto& entry : TreeState(drives.Root('D'))) state["D/" + entry.first] = entry.second;
        return state;
    }
    // How many debug-log messages are message.
    size_t Logged(const std::string& message) const {
        const std::vector<std::string> log = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
        return static_cast<size_t>(std::count(log.begin(), log.end(), message));
    }
    // The previous backup passes the validity check and restores its files.
    void ExpectRestorable() {
        EXPECT_EQ(0, module.IsDataValid(P(kFolder)));
        EXPECT_EQ(0, Restore({u"DOCUMENTS", u"PICTURES", u"MUSIC", u"VIDEO"}, u"C:\\Restored"));
        EXPECT_EQ(1u, FilesBelow(drives.Root('C') + "/Restored", "holiday.avi").size());
        EXPECT_TRUE(RemoveHostTree(drives.Root('C') + "/Restored"));
    }
};

}  // namespace

TEST_F(BackupSafety, ACancelledDailyBackupLeavesThePreviousOneAsItWas) {
    ASSERT_EQ(0, Backup(tree.Paths(), {}, TRUE, 1));
    drives.Write(u"C:\\Users\\ann\\Documents\\new.doc", "written since");
    std::vector<CString> files = tree.Paths();
    files.push_back(u"C:\\Users\\ann\\Documents\\new.doc");
    ContinueCounter::Reset();
    ASSERT_EQ(0, Backup(files, {}, TRUE, 1, WIM_COMPRESS_XPRESS, ContinueCounter::Continue));
    const int polls = ContinueCounter::calls;
    host.Drain();
    const auto before = Drives();

    // Cancelled while sizing, preparing (before and after the cut), capturing, and at the last poll,
    // which comes before the catalog is saved: a saved catalog is never followed by a cancel.
    const std::string saved = "Do serialization successfully!";
    for (int cancelAt : {1, polls / 4, polls / 3, polls / 2, polls * 3 / 4, polls - 1, polls}) {
        SCOPED_TRACE(cancelAt);
        ContinueCounter::Reset(cancelAt);
        const size_t savedBefore = Logged(saved);
        EXPECT_EQ(1, Backup(files, {}, TRUE, 1, WIM_COMPRESS_XPRESS, ContinueCounter::Continue));
        EXPECT_EQ(savedBefore, Logged(saved));
        auto errors = Codes(host.Drain(), host.errorStr);
        for (long long code : errors)
            EXPECT_TRUE(code == MSG_ERROR_PATH_LONGER_THAN_260 || code == MSG_ERROR_WIM_SPLIT_SIZE_TOOSMALL) << code;
        EXPECT_EQ(before, Drives());
    }
    ExpectRestorable();
}

// A daily backup that fails (a chosen file held by a writer that shares no
// reading stops the capture) leaves the previous one as it was.
TEST_F(BackupSafety, AFailedDailyBackupLeavesThePreviousOneAsItWas) {
    ASSERT_EQ(0, Backup(tree.Paths(), {}, TRUE, 1));
    host.Drain();
    const auto before = Drives();
    const CString held = P(u"C:\\Users\\ann\\Music\\song.mp3");
    const HANDLE writer = CreateFileW(held, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(1, Backup(tree.Paths(), {}, TRUE, 1));
    CloseHandle(writer);
    const auto posted = host.Drain();
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_WIM_MSG_ERROR));
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_BACKUP_APPEND_FAILED));
    CString logged = held;
    EXPECT_EQ(1u, Logged("MSG_ERROR_WIM_MSG_ERROR - file: " + logged.MakeUpper().ToUtf8() + " ...failed! error code: 32"));
    EXPECT_EQ(before, Drives());
    ExpectRestorable();
}

TEST_F(BackupSafety, ADestinationThatFillsUpLeavesThePreviousBackupAsItWas) {
    const std::string destination = drives.Root('D') + "/Backups";
    fs::create_directories(destination);
    TmpfsMount small(destination, "8m");
    if (!small.mounted()) GTEST_SKIP() << TmpfsMount::kNotMounted;
    ASSERT_EQ(0, Backup(tree.Paths(), {}, TRUE, 1, WIM_COMPRESS_NONE));
    const auto before = Drives();

    drives.Write(u"C:\\Users\\ann\\Pictures\\large.jpg", NoiseBytes(6 * kMiB, 11));
    std::vector<CString> files = tree.Paths();
    files.push_back(u"C:\\Users\\ann\\Pictures\\large.jpg");
    EXPECT_EQ(1, Backup(files, {}, TRUE, 1, WIM_COMPRESS_NONE));
    EXPECT_TRUE(HasCode(host.Drain(), host.errorStr, MSG_ERROR_BACKUP_APPEND_FAILED));
    auto after = Drives();
    after.erase("Users/ann/Pictures/large.jpg");
    EXPECT_EQ(before, after);
    ExpectRestorable();
}

#ifndef _WIN32
// The killed backup runs in a forked child, as in killed_run_test (Linux only).
TEST_F(BackupSafety, PiecesOfAKilledBackupGoWithTheNextBackupOrRestoreAndNothingElseDoes) {
    ASSERT_EQ(0, Backup(tree.Paths(), {}, TRUE, 1));
    const CString film = u"C:\\Users\\ann\\Videos\\film.avi";
    drives.Write(film, "");
    fs::resize_file(drives.Host(film), 100 * kMiB);
    drives.Write(u"C:\\Users\\ann\\Videos\\other.avi.000", "the user's own");
    const auto before = Drives();
    std::vector<CString> files = tree.Paths();
    files.push_back(film);

    // The killed run backs up into this folder or another; a backup or a
    // restore of this folder comes next.
    for (const char16_t* killedInto : {kFolder, u"D:\\Backups\\Killed"})
    for (bool restoreNext : {false, true}) {
        SCOPED_TRACE(std::string(restoreNext ? "restore next" : "backup next") + " after a kill into " +
                     CString(killedInto).ToUtf8());
        pid_t child = fork();
        if (child == 0) {
            std::vector<CString> categories;
            module.Backup(host.handle(), &files, u"C:\\types.txt", &categories, killedInto, u"Image", TRUE, 1,
                          WIM_COMPRESS_NONE, &imageFiles, nullptr);
            _exit(0);
        }
        // Killed once the cut has made a few pieces.
        const std::string piece = drives.Host(film + u".005");
        for (int i = 0; i < 20000 && !HostExists(piece); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        ASSERT_TRUE(HostExists(piece));

        if (restoreNext) {
            ExpectRestorable();
        } else {
            ASSERT_EQ(0, Backup(files, {}, TRUE, 1, WIM_COMPRESS_NONE));
            EXPECT_FALSE(HasCode(host.Drain(), host.errorStr, MSG_ERROR_BIGFILES_SPLIT_FAILED));
        }
        EXPECT_FALSE(HostExists(piece));
        EXPECT_EQ("the user's own", ReadHostFile(drives.Host(u"C:\\Users\\ann\\Videos\\other.avi.000")));
        auto now = Drives();
        for (const auto& entry : before) {
            if (entry.first.rfind("D/", 0) == 0) continue;  // the backup folders
            EXPECT_EQ(entry.second, now[entry.first]) << entry.first;
        }
    }
}
#endif
