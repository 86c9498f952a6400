// A backup or restore killed with SIGKILL at any step: the user's files stay
// as they were, the backup folder holds either the earlier backup as it was or
// the complete new one, both restore, and the next run works and leaves
// nothing of the killed one behind.
//
// A step is a call of the continue callback or a change the run asks of the
// file system (a file created, renamed or deleted, a folder made or removed,
// a file flushed). The test program stands in for those C library functions,
// so that a child process running the operation can kill itself just before
// its N-th step; N goes over the run (see KillPoints).
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sample_tree.h"
#include "testhost.h"
#include "wimgapi.h"

namespace fs = std::filesystem;
using namespace qxtest;

namespace {

// The steps of the running operation, counted while armed; the step numbered
// killAt is not taken: the process kills itself instead.
struct Steps {
    bool armed = false;
    int killAt = 0;
    int count = 0;
    std::vector<std::string>* names = nullptr;  // what each step does, when kept
};
Steps g_steps;

void Step(const char* what, const char* path) {
    if (!g_steps.armed) return;
    ++g_steps.count;
    if (g_steps.count == g_steps.killAt) raise(SIGKILL);
    if (g_steps.names) g_steps.names->push_back(std::string(what) + " " + (path ? path : ""));
}

template <typename F>
F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int CALLBACK CountedContinue(int*) {
    Step("continue", nullptr);
    return 1;
}

// A host that checks the backup folder while a backup into it runs.
const QxfmEntryPoints* g_checking = nullptr;
int g_checks = 0;
int CALLBACK CheckWhileRunning(int*) {
    if (g_checking) g_checking->IsDataValid(u"D:\\Backups\\Monday");
    ++g_checks;
    return 1;
}

}  // namespace

extern "C" {

int rename(const char* from, const char* to) {
    static auto next = Next<int (*)(const char*, const char*)>("rename");
    Step("rename", to);
    return next(from, to);
}

int unlink(const char* path) {
    static auto next = Next<int (*)(const char*)>("unlink");
    Step("unlink", path);
    return next(path);
}

int unlinkat(int dir, const char* path, int flags) {
    static auto next = Next<int (*)(int, const char*, int)>("unlinkat");
    Step("unlinkat", path);
    return next(dir, path, flags);
}

int rmdir(const char* path) {
    static auto next = Next<int (*)(const char*)>("rmdir");
    Step("rmdir", path);
    return next(path);
}

int mkdir(const char* path, mode_t mode) {
    static auto next = Next<int (*)(const char*, mode_t)>("mkdir");
    Step("mkdir", path);
    return next(path, mode);
}

int fsync(int fd) {
    static auto next = Next<int (*)(int)>("fsync");
    Step("fsync", nullptr);
    return next(fd);
}

int open64(const char* path, int flags, ...) {
    static auto next = Next<int (*)(const char*, int, ...)>("open64");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
        if (flags & O_CREAT) Step("create", path);
    }
    return next(path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...) {
    static auto next = Next<int (*)(int, const char*, int, ...)>("openat64");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
        if (flags & O_CREAT) Step("create", path);
    }
    return next(dir, path, flags, mode);
}

}  // extern "C"

namespace {

const size_t kMiB = 1048576;
const char16_t kFolder[] = u"D:\\Backups\\Monday";
const char16_t kTarget[] = u"E:\\Restored";

// How a child's run ended.
enum class Ended { Killed, Finished, Failed };

class KilledRun : public ::testing::Test {
protected:
    void SetUp() override {
        tree = MakeSampleTree(drives, 3 * kMiB);
        files = tree.Paths();
        saved = drives.WorkDir() + "/saved backup";
    }

    std::string Folder() const { return drives.Host(kFolder); }

    int Backup(const CString& name, ContinueCallback callback) {
        std::vector<CString> list = files, categories, images;
        images.reserve(16);
        return module.Backup(nullptr, &list, tree.typeList, &categories, kFolder, name, TRUE, splitMB,
                             WIM_COMPRESS_NONE, &images, callback);
    }

    int Restore(ContinueCallback callback) {
        std::vector<CString> all{u"DOCUMENTS", u"PICTURES", u"MUSIC", u"VIDEO"};
        return module.Restore(nullptr, kFolder, &all, kTarget, callback);
    }

    // Runs operation in a child process that kills itself at step killAt.
    Ended RunKilled(int killAt, const std::function<int()>& operation) {
        const pid_t child = fork();
        if (child == 0) {
            g_steps = Steps{true, killAt, 0, nullptr};
            const int result = operation();
            g_steps.armed = false;
            _exit(result == 0 ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return Ended::Killed;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Ended::Finished : Ended::Failed;
    }

    // The steps of operation run here to its end, with what each one does.
    std::vector<std::string> StepsOf(const std::function<int()>& operation, int* result) {
        std::vector<std::string> names;
        g_steps = Steps{true, 0, 0, &names};
        *result = operation();
        g_steps = Steps{};
        return names;
    }

    // Every file and folder of the drives C: and D: but those below the
    // backup folder's parent, folders with their last-write times too.
    std::map<std::string, std::string> Source() const {
        std::map<std::string, std::string> state;
        const auto time = [](const std::string& path) {
            return std::to_string(fs::last_write_time(path).time_since_epoch().count());
        };
        for (char letter : {'C', 'D'}) {
            const std::string root = drives.Root(letter);
            state[std::string(1, letter)] = time(root);
            for (const auto& entry : TreeState(root)) {
                if (entry.first.rfind("Backups", 0) == 0) continue;
                state[letter + ("/" + entry.first)] =
                    entry.second == "folder" ? "folder@" + time(root + "/" + entry.first) : entry.second;
            }
        }
        return state;
    }

    // The names in the backup folder.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : TreeState(Folder())) names.insert(entry.first);
        return names;
    }

    // Puts the earlier backup back into the backup folder.
    std::map<std::string, std::string> PutEarlierBackupBack() {
        fs::remove_all(Folder());
        fs::copy(saved, Folder(), fs::copy_options::recursive);
        return TreeState(Folder());
    }

    // The dated folders below the restore target.
    std::set<std::string> Restores() const {
        std::set<std::string> dated;
        const std::string root = drives.Host(kTarget) + "/System Recovery Files";
        if (HostExists(root))
            for (const auto& entry : fs::directory_iterator(root)) dated.insert(entry.path().string());
        return dated;
    }

    // A restore brings every file back byte for byte; one whose path is too
    // long to be restored in place comes back under some name.
    void ExpectRestores() {
        const std::set<std::string> earlier = Restores();
        ASSERT_EQ(0, Restore(nullptr));
        std::set<std::string> made;
        for (const std::string& folder : Restores())
            if (!earlier.count(folder)) made.insert(folder);
        ASSERT_EQ(1u, made.size());
        const std::string root = *made.begin();
        std::multiset<std::string> contents;
        for (const std::string& file : FilesBelow(root)) contents.insert(ReadHostFile(file));
        for (const SampleFile& file : tree.files) {
            if (file.category == u"OTHERS") continue;
            if (file.path.GetLength() > 217) {
                EXPECT_TRUE(contents.count(file.content)) << file.path.ToUtf8();
                continue;
            }
            const std::string rest = drives.Host(file.path).substr(drives.Root(char(file.path[0])).size());
            const std::string restored = root + "/" + char(file.path[0]) + rest;
            EXPECT_TRUE(HostExists(restored) && ReadHostFile(restored) == file.content) << restored;
        }
        for (const CString& video : videos) {
            const std::string restored = root + "/C" + drives.Host(video).substr(drives.Root('C').size());
            EXPECT_TRUE(HostExists(restored) && ReadHostFile(restored) == ReadHostFile(drives.Host(video))) << restored;
        }
        fs::remove_all(root);
    }

    // Two files of 51 MiB, mostly zeros, that together make an image the
    // backup splits into two parts of 100 MiB at most.
    void AddVideos() {
        for (const char16_t* name : {u"C:\\Users\\ann\\Videos\\one.avi", u"C:\\Users\\ann\\Videos\\two.avi"}) {
            const CString video = name;
            drives.Write(video, video.ToUtf8());
            fs::resize_file(drives.Host(video), 51 * kMiB);
            files.push_back(video);
            videos.push_back(video);
        }
        splitMB = 100;
    }

    // The steps to kill a run at: from the first step that names from (the
    // start when empty) every change to the file system, and the continue
    // callback's calls among them, of a long row of those the first, the last
    // and every 100th; and the end. With renamed, only the renames of files
    // whose names hold it.
    static std::vector<int> KillPoints(const std::vector<std::string>& steps, const std::string& from = "",
                                       const std::string& renamed = "") {
        std::vector<int> points;
        const int count = static_cast<int>(steps.size());
        int first = 0;
        while (!from.empty() && first < count && steps[first].find(from) == std::string::npos) ++first;
        for (int i = first, row = 0; i < count; ++i) {
            const bool polled = steps[i] == "continue ";
            row = polled ? row + 1 : 0;
            const bool lastOfRow = polled && (i + 1 == count || steps[i + 1] != "continue ");
            if (!renamed.empty()) {
                if (steps[i].rfind("rename ", 0) == 0 && steps[i].find(renamed) != std::string::npos)
                    points.push_back(i + 1);
            } else if (!polled || row == 1 || row % 100 == 0 || lastOfRow) {
                points.push_back(i + 1);
            }
        }
        if (renamed.empty()) points.push_back(count + 1);
        return points;
    }

    // Backups into the folder, each killed at a step (see KillPoints), under
    // the name image over an earlier backup under the name earlier.
    void SweepBackup(const CString& earlier, const CString& image, const std::string& from = "",
                     const std::string& renamed = "") {
        ASSERT_EQ(0, Backup(earlier, nullptr));
        fs::copy(Folder(), saved, fs::copy_options::recursive);
        const auto source = Source();
        ASSERT_TRUE(ChangedFiles(drives, tree).empty());

        // A run to its end: its steps, and the names a complete new backup has.
        int result = 1;
        const std::vector<std::string> steps = StepsOf([&] { return Backup(image, CountedContinue); }, &result);
        ASSERT_EQ(0, result);
        const std::set<std::string> complete = Names();
        EXPECT_EQ(source, Source());

        for (int killAt : KillPoints(steps, from, renamed)) {
            const std::string step = killAt <= static_cast<int>(steps.size()) ? steps[killAt - 1] : "the end";
            SCOPED_TRACE("killed before step " + std::to_string(killAt) + ": " + step);
            const auto before = PutEarlierBackupBack();
            const Ended ended = RunKilled(killAt, [&] { return Backup(image, CountedContinue); });
            EXPECT_NE(Ended::Failed, ended);
            EXPECT_TRUE(ChangedFiles(drives, tree).empty());

            // Every other kill point is taken up by the validity check and a
            // restore first, the rest by the next backup first (each of them
            // finishes what the killed run left); with large files, all by
            // the check and the one that goes first.
            const bool restoreFirst = killAt % 2 == 0;
            if (restoreFirst || !videos.empty()) {
                EXPECT_EQ(0, module.IsDataValid(kFolder));
            }
            if (restoreFirst) {
                ExpectRestores();
                if (TreeState(Folder()) != before) {
                    EXPECT_EQ(complete, Names());
                }
                EXPECT_FALSE(HostExists(Folder() + "/Tarvolen.journal"));
                EXPECT_EQ(source, Source());
                if (!videos.empty()) continue;
            }
            EXPECT_EQ(0, Backup(image, nullptr));
            EXPECT_EQ(complete, Names());
            EXPECT_EQ(source, Source());
            EXPECT_EQ(0, module.IsDataValid(kFolder));
            if (!restoreFirst && videos.empty() && killAt % 4 == 1) ExpectRestores();
            if (::testing::Test::HasFailure()) break;
        }
    }

    TestDrives drives{{"C", "D", "E"}};
    Module module;
    SampleTree tree;
    std::vector<CString> files;
    std::string saved;
    int splitMB = 1;
    std::vector<CString> videos;  // the large files, when there are any
};

TEST_F(KilledRun, BackupOverAnEarlierOneOfTheSameName) { SweepBackup(u"Image", u"Image"); }

// Killed from the commit on, while the new set takes the place of the earlier
// one and the earlier one's image goes.
TEST_F(KilledRun, BackupOverAnEarlierOneOfAnotherName) { SweepBackup(u"Other", u"Image", "fsync"); }

// Both split into parts: killed while the new parts take the place of the
// earlier ones.
TEST_F(KilledRun, SplitBackupOverAnEarlierSplitOne) {
    AddVideos();
    SweepBackup(u"Image", u"Image", "", ".swm");
}

// A backup killed while its new set takes the place of the earlier one, then
// the next backup killed at each step while it finishes that: the run after
// them still finds one backup or the other, and leaves nothing of either.
TEST_F(KilledRun, ABackupKilledWhileFinishingAKilledOne) {
    ASSERT_EQ(0, Backup(u"Other", nullptr));
    fs::copy(Folder(), saved, fs::copy_options::recursive);
    const auto source = Source();
    int result = 1;
    const std::vector<std::string> steps = StepsOf([&] { return Backup(u"Image", CountedContinue); }, &result);
    ASSERT_EQ(0, result);
    const std::set<std::string> complete = Names();
    int firstMove = 0;
    while (firstMove < static_cast<int>(steps.size()) && steps[firstMove].find("rename ") != 0) ++firstMove;
    ASSERT_LT(firstMove + 1, static_cast<int>(steps.size()));

    // The first run is killed after its image moved, before the catalog did.
    for (int secondAt = 1; secondAt <= 12; ++secondAt) {
        SCOPED_TRACE("second run killed before its step " + std::to_string(secondAt));
        const auto before = PutEarlierBackupBack();
        EXPECT_EQ(Ended::Killed, RunKilled(firstMove + 2, [&] { return Backup(u"Image", CountedContinue); }));
        RunKilled(secondAt, [&] { return Backup(u"Image", CountedContinue); });
        EXPECT_TRUE(ChangedFiles(drives, tree).empty());
        EXPECT_EQ(0, module.IsDataValid(kFolder));
        if (TreeState(Folder()) != before) {
            EXPECT_EQ(complete, Names());
        }
        EXPECT_EQ(source, Source());
        if (secondAt % 6 == 0) ExpectRestores();
        EXPECT_EQ(0, Backup(u"Image", nullptr));
        EXPECT_EQ(complete, Names());
        if (::testing::Test::HasFailure()) break;
    }
}

// The check finishes what a killed backup left, but never the journal of a
// backup that runs, and leaves it every file it takes.
TEST_F(KilledRun, AValidityCheckWhileABackupRunsLeavesItsJournalAlone) {
    ASSERT_EQ(0, Backup(u"Image", nullptr));
    const auto source = Source();
    g_checking = &module;
    const int result = Backup(u"Image", CheckWhileRunning);
    g_checking = nullptr;
    EXPECT_EQ(0, result);
    EXPECT_GT(g_checks, 0);
    EXPECT_EQ(0, module.IsDataValid(kFolder));
    EXPECT_EQ(source, Source());
    ExpectRestores();
}

// A restore killed at any step (of every other one KillPoints names) leaves
// the backup folder as it was, and what it wrote below its target keeps no
// later restore from working.
TEST_F(KilledRun, RestoreLeavesTheBackupAsItWas) {
    ASSERT_EQ(0, Backup(u"Image", nullptr));
    const auto backup = TreeState(Folder());
    const auto source = Source();
    int result = 1;
    const std::vector<std::string> steps = StepsOf([&] { return Restore(CountedContinue); }, &result);
    ASSERT_EQ(0, result);
    fs::remove_all(drives.Host(kTarget));

    const std::vector<int> points = KillPoints(steps);
    for (size_t point = 0; point < points.size(); point += 2) {
        const int killAt = points[point];
        const std::string step = killAt <= static_cast<int>(steps.size()) ? steps[killAt - 1] : "the end";
        SCOPED_TRACE("killed before step " + std::to_string(killAt) + ": " + step);
        const Ended ended = RunKilled(killAt, [&] { return Restore(CountedContinue); });
        EXPECT_NE(Ended::Failed, ended);
        EXPECT_EQ(backup, TreeState(Folder()));
        EXPECT_EQ(source, Source());
        EXPECT_EQ(0, module.IsDataValid(kFolder));
        ExpectRestores();
        EXPECT_EQ(backup, TreeState(Folder()));
        if (::testing::Test::HasFailure()) break;
    }
}

}  // namespace
