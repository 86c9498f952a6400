// Directory creation: levels from the top down, existing and failing levels,
// attributes of new folders, paths that create nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "services/dbglog.h"
#include "services/state.h"
#include "folders/directories.h"
#include "testhost.h"

namespace fs = std::filesystem;
using namespace qxtest;

namespace {

class CreateDirectoriesTest : public ::testing::Test {
protected:
    void SetUp() override { g_pHostWnd = host.handle(); }
    void TearDown() override {
        g_pHostWnd = nullptr;
        CloseDbgLog();
    }
    std::vector<std::string> Log() {
        CloseDbgLog();
        return ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    }
    size_t CountLines(const std::string& line) {
        auto log = Log();
        return static_cast<size_t>(std::count(log.begin(), log.end(), line));
    }

    // Lines for the levels that already exist, counting the drive's root and
    // the folders the test drive's folder lies in (on Windows).
    size_t Existing(size_t levels) const { return levels + static_cast<size_t>(drives.FolderLevels('C')); }

    TestDrives drives{{"C"}};
    HostWindow host;
};

TEST_F(CreateDirectoriesTest, MakesEveryLevelOfAFolderPath) {
    CString failed = u"unchanged";
    EXPECT_TRUE(CreateDirectories(drives.Path(u"C:\\one\\two\\three\\"), 0, &failed));
    EXPECT_TRUE(fs::is_directory(drives.Root('C') + "/one/two/three"));
    EXPECT_TRUE(failed.IsEmpty());
    auto log = Log();
    const size_t existing = Existing(0);
    ASSERT_EQ(4u + existing, log.size());
    EXPECT_EQ("Will do creating directory recursively!", log[0]);
    for (size_t i = 1; i <= existing; ++i) EXPECT_EQ("Path of directory has been created before!", log[i]);
    for (size_t i = existing + 1; i < log.size(); ++i) EXPECT_EQ("Create directory successfully!", log[i]);
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(CreateDirectoriesTest, LastComponentIsAFileNameAndIsNotCreated) {
    EXPECT_TRUE(CreateDirectories(drives.Path(u"C:\\one\\two\\file.txt")));
    EXPECT_TRUE(fs::is_directory(drives.Root('C') + "/one/two"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/one/two/file.txt"));
}

TEST_F(CreateDirectoriesTest, ExistingLevelsArePassedOver) {
    fs::create_directories(drives.Root('C') + "/one");
    EXPECT_TRUE(CreateDirectories(drives.Path(u"C:\\one\\two\\")));
    EXPECT_EQ(Existing(1), CountLines("Path of directory has been created before!"));
    EXPECT_EQ(1u, CountLines("Create directory successfully!"));
}

TEST_F(CreateDirectoriesTest, LevelThatIsAFileMakesTheNextLevelFail) {
    drives.Write(u"C:\\one\\blocker", "x");
    CString failed;
    EXPECT_FALSE(CreateDirectories(drives.Path(u"C:\\one\\blocker\\inner\\"), 0, &failed));
    const CString inner = drives.Path(u"\\\\?\\C:\\one\\blocker\\inner");
    EXPECT_EQ(inner, failed);
    EXPECT_EQ(Existing(2), CountLines("Path of directory has been created before!"));
    EXPECT_EQ(1u, CountLines("MSG_ERROR_CREATE_DIRECTORY_FAILED - Can't create directory " + inner.ToUtf8() + " !"));
    auto posted = host.Drain();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(host.errorStr, posted[0].message);
    EXPECT_EQ(MSG_ERROR_CREATE_DIRECTORY_FAILED, posted[0].wParam);
    EXPECT_EQ(0, posted[0].lParam);
}

TEST_F(CreateDirectoriesTest, NewFoldersGetTheAttributesOldOnesKeepTheirs) {
    fs::create_directories(drives.Root('C') + "/old");
    EXPECT_TRUE(CreateDirectories(drives.Path(u"C:\\old\\new\\"), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(GetFileAttributesW(drives.Path(u"C:\\old\\new")) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(GetFileAttributesW(drives.Path(u"C:\\old")) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(CreateDirectoriesTest, PathsWithoutDriveLetterCreateNothing) {
    EXPECT_TRUE(CreateDirectories(u"relative\\folder\\"));
    EXPECT_TRUE(CreateDirectories(u"\\\\server\\share\\folder\\"));
    EXPECT_FALSE(HostExists(drives.WorkDir() + "/relative"));
    EXPECT_TRUE(Log().empty());
    EXPECT_FALSE(CreateDirectories(u""));
}

TEST_F(CreateDirectoriesTest, FileInADriveRootNeedsNoFolder) {
    EXPECT_TRUE(CreateDirectories(drives.Path(u"C:\\file.txt")));
    // The root alone, or the folders that lead to the test drive's folder.
    EXPECT_EQ(std::max<size_t>(1, Existing(0)), CountLines("Path of directory has been created before!"));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(CreateDirectoriesTest, FileInTheRootOfAMissingDriveFails) {
    CString failed;
    EXPECT_FALSE(CreateDirectories(u"Q:\\file.txt", 0, &failed));
    EXPECT_EQ(CString(u"\\\\?\\Q:\\"), failed);
    EXPECT_TRUE(HasCode(host.Drain(), host.errorStr, MSG_ERROR_CREATE_DIRECTORY_FAILED));
}

// The long-path prefix lets a folder deeper than 260 characters be made like any other.
TEST_F(CreateDirectoriesTest, LevelsDeeperThan260CharactersAreCreated) {
    CString path = drives.Path(u"C:\\deep");
    for (int i = 0; i < 4; ++i) path += u"\\" + CString(u'n', 100);
    path += u"\\file.txt";
    ASSERT_GT(path.GetLength(), 400);
    EXPECT_TRUE(CreateDirectories(path));
    std::string folder = drives.Host(path.Left(path.ReverseFind(u'\\')));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(HostExists(drives.Host(path)));
    EXPECT_EQ(0u, CountLines("Path of directory are too long!"));
    EXPECT_EQ(5u, CountLines("Create directory successfully!"));
}

// A folder path below a root whose way passes a link creates nothing, there or behind the link.
TEST_F(CreateDirectoriesTest, BelowARootNothingIsCreatedThroughALink) {
    fs::create_directories(drives.Root('C') + "/root/real");
    fs::create_directories(drives.Root('C') + "/elsewhere");
    if (!MakeLink("../elsewhere", drives.Root('C') + "/root/link", true)) GTEST_SKIP() << kNoLinks;
    EXPECT_FALSE(CreateDirectoriesBelow(drives.Path(u"C:\\root\\"), drives.Path(u"C:\\root\\link\\new\\file.lnk")));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/elsewhere/new"));
    EXPECT_TRUE(HasCode(host.Drain(), host.errorStr, MSG_ERROR_CREATE_DIRECTORY_FAILED));
    EXPECT_EQ(1u, CountLines("Refused " + drives.Path(u"C:\\root\\link\\new\\file.lnk").ToUtf8() + ": " +
                             drives.Path(u"C:\\root\\link").ToUtf8() + " is a link or mount point (reparse tag 0xA000000C)"));

    EXPECT_TRUE(CreateDirectoriesBelow(drives.Path(u"C:\\root\\"), drives.Path(u"C:\\root\\real\\new\\file.lnk")));
    EXPECT_TRUE(fs::is_directory(drives.Root('C') + "/root/real/new"));
    EXPECT_FALSE(CreateDirectoriesBelow(drives.Path(u"C:\\root\\"), drives.Path(u"C:\\root\\..\\up\\")));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/up"));
}

}  // namespace
