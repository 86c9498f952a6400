// Shortcuts for restored over-length files: named from the file name, below
// the restore folder, one for every file.
#include <gtest/gtest.h>

#include <set>

#include "link_target.h"
#include "restore_fixture.h"

using namespace restoretest;

namespace {

struct ShortcutTest : RestoreFixture {
    // Ten over-length files below a folder with a dot in its name; pairs of
    // them differ only in their extension.
    std::vector<CString> WriteOverLengthFiles() {
        CString folder = u"C:\\Users\\john.doe";
        for (int i = 0; i < 9; ++i) folder += u"\\a rather long folder name";
        std::vector<CString> files;
        for (const char16_t* name : {u"report.txt", u"report.doc", u"notes.v2.txt", u"notes.v2.doc", u"x.txt",
                                     u"x.doc", u"y.txt", u"y.doc", u"z.txt", u"z.doc"}) {
            files.push_back(folder + u"\\" + name);
            drives.Write(files.back(), "content of " + CString(name).ToUtf8());
        }
        EXPECT_GT(files.front().GetLength(), 217);
        return files;
    }

    void BackUpFiles(std::vector<CString> files) {
        std::vector<CString> categories, imageFiles;
        imageFiles.reserve(8);
        drives.Write(u"C:\\types.txt", "[Documents]\ndoc, txt\n");
        for (CString& file : files) file = drives.Path(file);
        ASSERT_EQ(0, module.Backup(host.handle(), &files, drives.Path(u"C:\\types.txt"), &categories,
                                   drives.Path(u"D:\\Backups\\Monday"), u"Image", FALSE, 0, WIM_COMPRESS_XPRESS,
                                   &imageFiles, nullptr));
        host.Drain();
    }
};

TEST_F(ShortcutTest, EveryOverLengthFileGetsItsOwnShortcutBesideWhereItWas) {
    std::vector<CString> files = WriteOverLengthFiles();
    BackUpFiles(files);
    const std::vector<std::string> before = Outside("Restore.v2");

    ASSERT_EQ(0, Restore(u"D:\\Backups\\Monday", {u"Documents"}, u"C:\\Restore.v2"));
    EXPECT_EQ(before, Outside("Restore.v2"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/Restore.lnk"));
    EXPECT_FALSE(HostExists(drives.WorkDir() + "/.lnk"));

    std::string root = RestoreRoot("Restore.v2");
    std::string folder = RestoredHostPath(root, files.front());
    folder = folder.substr(0, folder.rfind('/'));
    std::set<std::string> names, contents;
    for (const std::string& link : FilesBelow(root, ".lnk")) {
        EXPECT_EQ(folder, link.substr(0, link.rfind('/')));
        names.insert(link.substr(link.rfind('/') + 1));
        // Each points to a restored copy of its own file.
        std::string target = LinkTarget(link);
        ASSERT_EQ(0u, target.rfind(drives.Path(u"C:\\Restore.v2\\").ToUtf8(), 0)) << target;
        CString targetPath = CString::FromUtf8(target);
        std::string hostTarget = drives.Host(targetPath);
        ASSERT_TRUE(HostExists(hostTarget)) << target;
        contents.insert(ReadHostFile(hostTarget));
    }
    std::set<std::string> expected;
    for (const CString& file : files) expected.insert("content of " + file.Mid(file.ReverseFind(u'\\') + 1).ToUtf8());
    EXPECT_EQ(expected, contents);
    EXPECT_EQ((std::set<std::string>{"report.lnk", "report (2).lnk", "notes.v2.lnk", "notes.v2 (2).lnk", "x.lnk",
                                     "x (2).lnk", "y.lnk", "y (2).lnk", "z.lnk", "z (2).lnk"}),
              names);
}

// Over-length files in two folders whose names differ only in case: each
// shortcut lies in its own folder, spelled as it was, and points to its own copy.
TEST_F(ShortcutTest, FoldersThatDifferOnlyInCaseEachGetTheirOwnShortcut) {
    CString tail;
    for (int i = 0; i < 9; ++i) tail += u"\\a rather long folder name";
    const std::vector<CString> files = {u"C:\\Docs" + tail + u"\\report.txt", u"C:\\DOCS" + tail + u"\\report.txt"};
    drives.Write(files[0], "in Docs");
    if (HostExists(drives.Host(files[1]))) GTEST_SKIP() << kOneCase;
    drives.Write(files[1], "in DOCS");
    BackUpFiles(files);

    EXPECT_EQ(0, Restore(u"D:\\Backups\\Monday", {u"Documents"}, u"C:\\Restore"));
    const std::vector<Posted> posted = host.Drain();
    EXPECT_FALSE(HasCode(posted, host.errorStr, MSG_ERROR_CREATE_DIRECTORY_FAILED));
    EXPECT_FALSE(HasCode(posted, host.errorStr, MSG_ERROR_SHORTCUT_FAILED));
    const std::string root = RestoreRoot();
    EXPECT_EQ(2u, FilesBelow(root, ".lnk").size());
    for (const CString& file : files) {
        std::string link = RestoredHostPath(root, file);
        link = link.substr(0, link.rfind('/')) + "/report.lnk";
        ASSERT_TRUE(HostExists(link)) << link;
        const std::string target = LinkTarget(link);
        ASSERT_EQ(0u, target.rfind(drives.Path(u"C:\\Restore\\").ToUtf8(), 0)) << target;
        EXPECT_EQ(file.Find(u"\\Docs\\") >= 0 ? "in Docs" : "in DOCS", ReadHostFile(drives.Host(CString::FromUtf8(target))))
            << link;
    }
}

}  // namespace
