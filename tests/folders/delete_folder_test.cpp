// DeleteFolder as a host calls it: refused roots, whole trees removed, links
// inside the tree removed without touching what they point to.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <filesystem>

#include "testhost.h"

namespace fs = std::filesystem;
using namespace qxtest;

namespace {

class DeleteFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // DeleteFolder stores no window of its own: it posts to the one an earlier call stored.
        module.GetFileArrayByUserSelection(host.handle(), u"");
        host.Drain();
    }
    std::vector<std::string> Log() { return ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log"); }
    std::string C(const std::string& rel) { return drives.Root('C') + "/" + rel; }

    TestDrives drives{{"C"}};
    HostWindow host;
    Module module;
};

TEST_F(DeleteFolderTest, RefusesEverySpellingOfARoot) {
    drives.Write(u"C:\\keep\\file.txt", "data");
    const CString roots[] = {u"C:\\",         u"C:\\ab",          u"\\\\?\\C:\\",      u"\\\\?\\C:\\\\",
                             u"C:\\\\\\",     u"C:\\.",           u"C:\\x\\..",       u"C:\\keep\\..\\",
                             u"c:/./x/../",   u"C:\\...",         u"C:\\keep\\..\\..", u"\\\\server\\share\\",
                             u"\\\\?\\UNC\\server\\share", u"\\\\.\\C:\\.", u"\\\\\\\\",      u"..\\..\\.."};
    for (const CString& root : roots) {
        SCOPED_TRACE(root.ToUtf8());
        EXPECT_EQ(1, module.DeleteFolder(root));
        auto posted = host.Drain();
        ASSERT_EQ(1u, posted.size());
        EXPECT_EQ(host.errorStr, posted[0].message);
        EXPECT_EQ(-224, posted[0].wParam);
        ASSERT_TRUE(posted[0].hasText);
        EXPECT_EQ(root, posted[0].text);
        auto log = Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ("MSG_ERROR_DELETE_FOLDER_DANGEROUS - The path: " + root.ToUtf8() +
                      " you want to delete folder is dangerous! Now Stop!",
                  log.back());
    }
    EXPECT_EQ("data", ReadHostFile(C("keep/file.txt")));
}

TEST_F(DeleteFolderTest, SixCharactersProceedFiveAreRefused) {
    drives.Write(u"C:\\abc\\f", "x");
    drives.Write(u"C:\\ab\\f", "x");
    EXPECT_EQ(0, module.DeleteFolder(u"C:\\abc"));
    EXPECT_FALSE(HostExists(C("abc")));
    EXPECT_EQ(1, module.DeleteFolder(u"C:\\ab"));
    EXPECT_TRUE(HostExists(C("ab/f")));
}

TEST_F(DeleteFolderTest, RemovesANestedTreeWithReadOnlyFiles) {
    drives.Write(u"C:\\tree\\a.txt", "a");
    drives.Write(u"C:\\tree\\one\\b.txt", "b");
    drives.Write(u"C:\\tree\\one\\two\\three\\c.txt", "c");
    fs::create_directories(C("tree/empty/deeper"));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\tree\\one\\b.txt", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\tree\\one\\two\\three\\c.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    drives.Write(u"C:\\sibling\\s.txt", "s");

    EXPECT_EQ(0, module.DeleteFolder(u"C:\\tree\\"));
    EXPECT_FALSE(HostExists(C("tree")));
    EXPECT_TRUE(HostExists(C("sibling/s.txt")));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(DeleteFolderTest, LinksInsideTheTreeAreRemovedTheirTargetsKept) {
    drives.Write(u"C:\\outside\\keep.txt", "keep");
    drives.Write(u"C:\\outside\\file.txt", "file");
    drives.Write(u"C:\\tree\\own.txt", "own");
    fs::create_directory_symlink(C("outside"), C("tree/dirlink"));
    fs::create_symlink(C("outside/file.txt"), C("tree/filelink"));
    fs::create_directories(C("tree/sub"));
    fs::create_directory_symlink("../../outside", C("tree/sub/relative"));

    EXPECT_EQ(0, module.DeleteFolder(u"C:\\tree"));
    EXPECT_FALSE(HostExists(C("tree")));
    EXPECT_EQ("keep", ReadHostFile(C("outside/keep.txt")));
    EXPECT_EQ("file", ReadHostFile(C("outside/file.txt")));
}

TEST_F(DeleteFolderTest, AGivenFolderThatIsALinkLosesOnlyTheLink) {
    drives.Write(u"C:\\outside\\keep.txt", "keep");
    fs::create_directory_symlink(C("outside"), C("link"));
    EXPECT_EQ(0, module.DeleteFolder(u"C:\\link"));
    EXPECT_FALSE(HostExists(C("link")));
    EXPECT_EQ("keep", ReadHostFile(C("outside/keep.txt")));
}

TEST_F(DeleteFolderTest, MountPointInsideTheTreeIsNotEntered) {
    drives.Write(u"C:\\volume\\keep.txt", "keep");
    drives.Write(u"C:\\tree\\own.txt", "own");
    fs::create_directories(C("tree/mounted"));
    if (mount(C("volume").c_str(), C("tree/mounted").c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "bind mounts are not permitted here";

    int result = module.DeleteFolder(u"C:\\tree");
    bool stillMounted = HostExists(C("tree/mounted/keep.txt"));
    umount2(C("tree/mounted").c_str(), MNT_DETACH);
    // The mount point stays, and with it the tree: that is a failure, and the log names what stayed.
    EXPECT_EQ(1, result);
    auto log = Log();
    EXPECT_NE(log.end(), std::find_if(log.begin(), log.end(), [](const std::string& line) {
                  return line.find("MSG_ERROR_DELETE_FOLDER_FAILED - C:\\tree\\mounted could not be deleted") == 0;
              }));
    EXPECT_EQ("keep", ReadHostFile(C("volume/keep.txt")));
    EXPECT_TRUE(stillMounted);
    EXPECT_FALSE(HostExists(C("tree/own.txt")));
}

// A file that cannot be deleted keeps the tree: DeleteFolder says so and names it.
TEST_F(DeleteFolderTest, WhatStaysMakesItAFailureAndIsNamed) {
    drives.Write(u"C:\\tree\\sub\\locked.txt", "locked");
    drives.Write(u"C:\\tree\\free.txt", "free");
    // An open handle that does not share deletion keeps the file, as on Windows.
    HANDLE open = CreateFileW(u"C:\\tree\\sub\\locked.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, open);
    int result = module.DeleteFolder(u"C:\\tree");
    CloseHandle(open);
    EXPECT_EQ(1, result);
    EXPECT_TRUE(HostExists(C("tree/sub/locked.txt")));
    EXPECT_FALSE(HostExists(C("tree/free.txt")));
    auto log = Log();
    for (const char* stayed : {"C:\\tree\\sub\\locked.txt", "C:\\tree\\sub", "C:\\tree"}) {
        std::string line = std::string("MSG_ERROR_DELETE_FOLDER_FAILED - ") + stayed + " could not be deleted";
        EXPECT_NE(log.end(), std::find_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(line) == 0; }))
            << line;
    }

    EXPECT_EQ(0, module.DeleteFolder(u"C:\\tree"));
    EXPECT_FALSE(HostExists(C("tree")));
}

}  // namespace
