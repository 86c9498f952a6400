// A backup that is cancelled, runs out of space or is killed leaves the
// user's files and an earlier backup in the same folder as they were, and
// nothing that gets in the way of the next backup.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "backup_host.h"
#include "sample_tree.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

const ULONGLONG kMiB = 1048576;

// A small tmpfs mounted over a test drive's folder, unmounted however the test ends.
class SmallFileSystem {
public:
    SmallFileSystem(const std::string& folder, const std::string& size) : m_folder(folder) {
        int status = -1;
        RunCommand("mount -t tmpfs -o size=" + size + " qxfm-test '" + folder + "'", &status);
        m_mounted = status == 0;
    }
    ~SmallFileSystem() {
        if (m_mounted) RunCommand("umount '" + m_folder + "'");
    }
    bool mounted() const { return m_mounted; }

private:
    std::string m_folder;
    bool m_mounted = false;
};

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
        EXPECT_EQ(0, module.IsDataValid(kFolder));
        std::vector<CString> all{u"DOCUMENTS", u"PICTURES", u"MUSIC", u"VIDEO"};
        TempDir target;
        EXPECT_EQ(0, module.Restore(host.handle(), kFolder, &all, u"C:\\Restored", nullptr));
        EXPECT_EQ(1u, FilesBelow(drives.Root('C') + "/Restored", "holiday.avi").size());
        fs::remove_all(drives.Root('C') + "/Restored");
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

TEST_F(BackupSafety, AFileAnotherProgramWritesStopsTheBackupAndLeavesThePreviousOne) {
    ASSERT_EQ(0, Backup(tree.Paths(), {}, TRUE, 1));
    host.Drain();
    const auto before = Drives();
    const CString busy = tree.Paths().back();
    int ready[2], release[2];
    ASSERT_EQ(0, pipe(ready));
    ASSERT_EQ(0, pipe(release));
    const pid_t child = fork();
    if (child == 0) {  // writes the file without sharing it until told to stop
        HANDLE h = CreateFileW(busy, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        char c = h != INVALID_HANDLE_VALUE ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1 || read(release[0], &c, 1) < 0) _exit(1);
        _exit(0);
    }
    char state = 0;
    ASSERT_EQ(1, read(ready[0], &state, 1));
    ASSERT_EQ('y', state);
    const int result = Backup(tree.Paths(), {}, TRUE, 1);
    EXPECT_EQ(1, write(release[1], &state, 1));
    waitpid(child, nullptr, 0);

    EXPECT_EQ(1, result);
    const auto errors = Codes(host.Drain(), host.errorStr);
    EXPECT_NE(errors.end(), std::find(errors.begin(), errors.end(), MSG_ERROR_WIM_MSG_ERROR));
    EXPECT_NE(errors.end(), std::find(errors.begin(), errors.end(), MSG_ERROR_BACKUP_APPEND_FAILED));
    CString logged = busy;
    EXPECT_EQ(1u, Logged("MSG_ERROR_WIM_MSG_ERROR - file: " + logged.MakeUpper().ToUtf8() + " ...failed! error code: 32"));
    EXPECT_EQ(before, Drives());
    ExpectRestorable();
}

TEST_F(BackupSafety, ADestinationThatFillsUpLeavesThePreviousBackupAsItWas) {
    const std::string destination = drives.Root('D') + "/Backups";
    fs::create_directories(destination);
    SmallFileSystem small(destination, "8m");
    if (!small.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
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
