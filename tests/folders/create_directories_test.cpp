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

    TestDrives drives{{"C"}};
    HostWindow host;
};

TEST_F(CreateDirectoriesTest, MakesEveryLevelOfAFolderPath) {
    CString failed = u"unchanged";
    EXPECT_TRUE(CreateDirectories(u"C:\\one\\two\\three\\", 0, &failed));
    EXPECT_TRUE(fs::is_directory(drives.Root('C') + "/one/two/three"));
    EXPECT_TRUE(failed.IsEmpty());
    auto log = Log();
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ("Will do creating directory recursively!", log[0]);
    for (size_t i = 1; i < 4; ++i) EXPECT_EQ("Create directory successfully!", log[i]);
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(CreateDirectoriesTest, LastComponentIsAFileNameAndIsNotCreated) {
    EXPECT_TRUE(CreateDirectories(u"C:\\one\\two\\file.txt"));
    EXPECT_TRUE(fs::is_directory(drives.Root('C') + "/one/two"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/one/two/file.txt"));
}

TEST_F(CreateDirectoriesTest, ExistingLevelsArePassedOver) {
    fs::create_directories(drives.Root('C') + "/one");
    EXPECT_TRUE(CreateDirectories(u"C:\\one\\two\\"));
    EXPECT_EQ(1u, CountLines("Path of directory has been created before!"));
    EXPECT_EQ(1u, CountLines("Create directory successfully!"));
}

TEST_F(CreateDirectoriesTest, LevelThatIsAFileMakesTheNextLevelFail) {
    drives.Write(u"C:\\one\\blocker", "x");
    CString failed;
    EXPECT_FALSE(CreateDirectories(u"C:\\one\\blocker\\inner\\", 0, &failed));
    EXPECT_EQ(CString(u"\\\\?\\C:\\one\\blocker\\inner"), failed);
    EXPECT_EQ(2u, CountLines("Path of directory has been created before!"));
    EXPECT_EQ(1u, CountLines("MSG_ERROR_CREATE_DIRECTORY_FAILED - Can't create directory \\\\?\\C:\\one\\blocker\\inner !"));
    auto posted = host.Drain();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(host.errorStr, posted[0].message);
    EXPECT_EQ(MSG_ERROR_CREATE_DIRECTORY_FAILED, posted[0].wParam);
    EXPECT_EQ(0, posted[0].lParam);
}

TEST_F(CreateDirectoriesTest, NewFoldersGetTheAttributesOldOnesKeepTheirs) {
    fs::create_directories(drives.Root('C') + "/old");
    EXPECT_TRUE(CreateDirectories(u"C:\\old\\new\\", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(GetFileAttributesW(u"C:\\old\\new") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(GetFileAttributesW(u"C:\\old") & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(CreateDirectoriesTest, PathsWithoutDriveLetterCreateNothing) {
    EXPECT_TRUE(CreateDirectories(u"relative\\folder\\"));
    EXPECT_TRUE(CreateDirectories(u"\\\\server\\share\\folder\\"));
    EXPECT_FALSE(HostExists(drives.WorkDir() + "/relative"));
    EXPECT_TRUE(Log().empty());
    EXPECT_FALSE(CreateDirectories(u""));
}

TEST_F(CreateDirectoriesTest, FileInADriveRootNeedsNoFolder) {
    EXPECT_TRUE(CreateDirectories(u"C:\\file.txt"));
    EXPECT_EQ(1u, CountLines("Path of directory has been created before!"));
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
    CString path = u"C:\\deep";
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
    fs::create_directory_symlink("../elsewhere", drives.Root('C') + "/root/link");
    EXPECT_FALSE(CreateDirectoriesBelow(u"C:\\root\\", u"C:\\root\\link\\new\\file.lnk"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/elsewhere/new"));
    EXPECT_TRUE(HasCode(host.Drain(), host.errorStr, MSG_ERROR_CREATE_DIRECTORY_FAILED));
    EXPECT_EQ(1u, CountLines("Refused C:\\root\\link\\new\\file.lnk: C:\\root\\link is a link or mount point "
                             "(reparse tag 0xA000000C)"));

    EXPECT_TRUE(CreateDirectoriesBelow(u"C:\\root\\", u"C:\\root\\real\\new\\file.lnk"));
    EXPECT_TRUE(fs::is_directory(drives.Root('C') + "/root/real/new"));
    EXPECT_FALSE(CreateDirectoriesBelow(u"C:\\root\\", u"C:\\root\\..\\up\\"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/up"));
}

}  // namespace
