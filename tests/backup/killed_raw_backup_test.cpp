// A raw backup killed with SIGKILL: it leaves no time-stamped folder behind,
// and the next raw backup into the same destination removes what it left and
// nothing else.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <thread>

#include "testhost.h"

namespace fs = std::filesystem;
using namespace qxtest;

namespace {

// The continue callback of the child: at call number g_killAt it tells the
// parent through g_toParent and waits to be killed.
int g_killAt = 0;
int g_toParent = -1;
int g_calls = 0;

int CALLBACK TellAndWait(int*) {
    if (++g_calls == g_killAt) {
        const char ready = 'k';
        if (write(g_toParent, &ready, 1) != 1) _exit(2);
        for (;;) pause();
    }
    return 1;
}

class KilledRawBackup : public ::testing::Test {
protected:
    KilledRawBackup() {
        drives.Write(u"C:\\docs\\a.txt", "alpha");
        drives.Write(u"C:\\docs\\b.txt", "bravo");
        drives.Write(u"C:\\hidden\\c.txt", "charlie");
        SetFileAttributesW(u"C:\\hidden", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        drives.Write(u"C:\\film.avi", "");
        fs::resize_file(drives.Host(u"C:\\film.avi"), 32 << 20);
        // An earlier backup, and the user's own files, one of them named as a
        // raw backup names its folder while it fills it.
        drives.Write(u"D:\\backup\\2001-01-01 000000\\C\\docs\\a.txt", "earlier");
        drives.Write(u"D:\\backup\\2001-01-01 000000\\SourceFileList.log", "earlier list");
        drives.Write(u"D:\\backup\\2001-01-01 000000.incomplete\\mine.txt", "the user's");
        drives.Write(u"D:\\backup\\mine.txt", "mine");
    }

    // Both drives, by path below the drive folders.
    std::map<std::string, std::string> Drives() const {
        std::map<std::string, std::string> state;
        for (char letter : {'C', 'D'})
            for (const auto& entry : TreeState(drives.Root(letter))) state[letter + ("/" + entry.first)] = entry.second;
        return state;
    }

    // Starts a raw backup in a child process and kills it with SIGKILL at the
    // continue callback's call number killAt, or as soon as killed() holds.
    void RunKilled(int killAt, const std::function<bool()>& killed = nullptr) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            g_toParent = pipeFds[1];
            g_killAt = killAt;
            std::vector<CString> list = files;
            module.BackupRaw(nullptr, &list, u"D:\\backup", TellAndWait);
            _exit(1);
        }
        close(pipeFds[1]);
        if (killed) {  // before the kill point, if the child is quick
            for (int i = 0; i < 100000 && !killed(); ++i) std::this_thread::sleep_for(std::chrono::microseconds(100));
            EXPECT_TRUE(killed());
        } else {
            char ready = 0;
            EXPECT_EQ(read(pipeFds[0], &ready, 1), 1) << "the child ended before its kill point";
        }
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(pipeFds[0]);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }

    // What the killed run left below D:\backup, beside what was there before.
    std::vector<std::string> LeftBehind(const std::map<std::string, std::string>& before) const {
        std::vector<std::string> left;
        const auto now = Drives();
        for (const auto& entry : now) {
            auto was = before.find(entry.first);
            if (was == before.end()) left.push_back(entry.first);
            else EXPECT_EQ(was->second, entry.second) << entry.first;
        }
        for (const auto& entry : before) EXPECT_TRUE(now.count(entry.first)) << entry.first << " is gone";
        return left;
    }

    TestDrives drives{{"C", "D"}};
    Module module;
    std::vector<CString> files = {u"C:\\docs\\a.txt", u"C:\\docs\\b.txt", u"C:\\hidden\\c.txt", u"C:\\film.avi"};
};

TEST_F(KilledRawBackup, LeavesOnlyItsTemporaryFolderAndJournalWhichTheNextRunRemoves) {
    const std::regex temporary(R"(D/backup/(BackupRaw\.journal|\d{4}-\d{2}-\d{2} \d{6}\.incomplete(/.*)?))");
    const std::regex stamped(R"(D/backup/(\d{4}-\d{2}-\d{2} \d{6})(/.*)?)");
    const std::string film = "/C/film.avi";
    struct KillPoint {
        const char* name;
        int callback;  // the continue callback's call: one per copy, then one per list line
        bool whileCopyingTheFilm;
    };
    for (const KillPoint& point : {KillPoint{"after the first copy", 1, false},
                                   KillPoint{"while the big file is copied", 0, true},
                                   KillPoint{"after the last copy", 4, false},
                                   KillPoint{"while the list is written", 6, false}}) {
        SCOPED_TRACE(point.name);
        const auto before = Drives();

        if (point.whileCopyingTheFilm) {
            RunKilled(6, [&] {
                for (const std::string& file : FilesBelow(drives.Root('D') + "/backup", film))
                    if (fs::file_size(file) > 0) return true;
                return false;
            });
        } else {
            RunKilled(point.callback);
        }

        // No time-stamped folder, nothing of the user's or of the earlier backup touched.
        const std::vector<std::string> left = LeftBehind(before);
        EXPECT_FALSE(left.empty());
        for (const std::string& path : left) EXPECT_TRUE(std::regex_match(path, temporary)) << path;

        // The next run removes exactly what the killed one left and completes.
        std::vector<CString> list = files;
        ASSERT_EQ(module.BackupRaw(nullptr, &list, u"D:\\backup", nullptr), 0);
        std::set<std::string> madeNow;
        for (const std::string& path : LeftBehind(before)) {
            std::smatch match;
            ASSERT_TRUE(std::regex_match(path, match, stamped)) << path;
            madeNow.insert(match[1]);
        }
        ASSERT_EQ(madeNow.size(), 1u);
        const std::string stamp = drives.Root('D') + "/backup/" + *madeNow.begin();
        EXPECT_EQ(ReadUtf16Lines(stamp + "/SourceFileList.log"), files);
        EXPECT_EQ(ReadHostFile(stamp + "/C/docs/b.txt"), "bravo");
        EXPECT_EQ(fs::file_size(stamp + film), fs::file_size(drives.Host(u"C:\\film.avi")));
        fs::remove_all(stamp);
    }
}

}  // namespace
