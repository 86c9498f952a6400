// DeleteFolder as a host calls it: refused roots, whole trees removed, links
// inside the tree removed without touching what they point to. A root is
// refused by its spelling, before anything is touched, so the roots named
// here are real drives' roots in both builds.
#include <algorithm>
#include <filesystem>

#include "delete_folder_fixture.h"

namespace fs = std::filesystem;
using namespace qxtest;

namespace {

TEST_F(DeleteFolderTest, RefusesEverySpellingOfARoot) {
    drives.Write(u"C:\\keep\\file.txt", "data");
    // As many ".." as lead from the work folder to its drive's root.
    CString up = u"..";
    for (int i = 1; i < std::max(3, drives.FolderLevels('C')); ++i) up += u"\\..";
    const CString roots[] = {u"C:\\",         u"C:\\ab",          u"\\\\?\\C:\\",      u"\\\\?\\C:\\\\",
                             u"C:\\\\\\",     u"C:\\.",           u"C:\\x\\..",       u"C:\\keep\\..\\",
                             u"c:/./x/../",   u"C:\\...",         u"C:\\keep\\..\\..", u"\\\\server\\share\\",
                             u"\\\\?\\UNC\\server\\share", u"\\\\.\\C:\\.", u"\\\\\\\\",      up};
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
    EXPECT_EQ(0, module.DeleteFolder(drives.Path(u"C:\\abc")));
    EXPECT_FALSE(HostExists(C("abc")));
    EXPECT_EQ(1, module.DeleteFolder(u"C:\\ab"));
    EXPECT_TRUE(HostExists(C("ab/f")));
}

TEST_F(DeleteFolderTest, RemovesANestedTreeWithReadOnlyFiles) {
    drives.Write(u"C:\\tree\\a.txt", "a");
    drives.Write(u"C:\\tree\\one\\b.txt", "b");
    drives.Write(u"C:\\tree\\one\\two\\three\\c.txt", "c");
    fs::create_directories(C("tree/empty/deeper"));
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\tree\\one\\b.txt"), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\tree\\one\\two\\three\\c.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    drives.Write(u"C:\\sibling\\s.txt", "s");

    EXPECT_EQ(0, module.DeleteFolder(drives.Path(u"C:\\tree\\")));
    EXPECT_FALSE(HostExists(C("tree")));
    EXPECT_TRUE(HostExists(C("sibling/s.txt")));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(DeleteFolderTest, LinksInsideTheTreeAreRemovedTheirTargetsKept) {
    drives.Write(u"C:\\outside\\keep.txt", "keep");
    drives.Write(u"C:\\outside\\file.txt", "file");
    drives.Write(u"C:\\tree\\own.txt", "own");
    if (!MakeLink(C("outside"), C("tree/dirlink"), true)) GTEST_SKIP() << kNoLinks;
    if (!MakeLink(C("outside/file.txt"), C("tree/filelink"), false)) GTEST_SKIP() << kNoLinks;
    fs::create_directories(C("tree/sub"));
    if (!MakeLink("../../outside", C("tree/sub/relative"), true)) GTEST_SKIP() << kNoLinks;

    EXPECT_EQ(0, module.DeleteFolder(drives.Path(u"C:\\tree")));
    EXPECT_FALSE(HostExists(C("tree")));
    EXPECT_EQ("keep", ReadHostFile(C("outside/keep.txt")));
    EXPECT_EQ("file", ReadHostFile(C("outside/file.txt")));
}

TEST_F(DeleteFolderTest, AGivenFolderThatIsALinkLosesOnlyTheLink) {
    drives.Write(u"C:\\outside\\keep.txt", "keep");
    if (!MakeLink(C("outside"), C("link"), true)) GTEST_SKIP() << kNoLinks;
    EXPECT_EQ(0, module.DeleteFolder(drives.Path(u"C:\\link")));
    EXPECT_FALSE(HostExists(C("link")));
    EXPECT_EQ("keep", ReadHostFile(C("outside/keep.txt")));
}

// A file that cannot be deleted keeps the tree: DeleteFolder says so and names it.
TEST_F(DeleteFolderTest, WhatStaysMakesItAFailureAndIsNamed) {
    drives.Write(u"C:\\tree\\sub\\locked.txt", "locked");
    drives.Write(u"C:\\tree\\free.txt", "free");
    // An open handle that does not share deletion keeps the file, as on Windows.
    HANDLE open = CreateFileW(drives.Path(u"C:\\tree\\sub\\locked.txt"), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, open);
    int result = module.DeleteFolder(drives.Path(u"C:\\tree"));
    CloseHandle(open);
    EXPECT_EQ(1, result);
    EXPECT_TRUE(HostExists(C("tree/sub/locked.txt")));
    EXPECT_FALSE(HostExists(C("tree/free.txt")));
    auto log = Log();
    for (const WCHAR* stayed : {u"C:\\tree\\sub\\locked.txt", u"C:\\tree\\sub", u"C:\\tree"}) {
        std::string line = "MSG_ERROR_DELETE_FOLDER_FAILED - " + drives.Path(stayed).ToUtf8() + " could not be deleted";
        EXPECT_NE(log.end(), std::find_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(line) == 0; }))
            << line;
    }

    EXPECT_EQ(0, module.DeleteFolder(drives.Path(u"C:\\tree")));
    EXPECT_FALSE(HostExists(C("tree")));
}

}  // namespace
