// A backup handed to the restore by someone who wants it to write elsewhere:
// a real split image holding a folder link, and a catalog whose big-file and
// over-length entries run through that link.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

#include "qxplatform.h"
#include "restore_fixture.h"

using namespace restoretest;

namespace {

struct CraftedBackupTest : RestoreFixture {
    // An image of a tree whose folder Media links five levels up, from where
    // the restore will put it: C:\Restore\System Recovery Files\<date>\C\Media
    // reaches C:\elsewhere. Split in two parts, with a catalog naming them.
    void MakeBackup() {
        const std::string src = TempRoot() + "/src";
        fs::create_directories(src + "/Docs");
        WriteHostFile(src + "/Docs/a.doc", "restored doc");
        WriteHostFile(src + "/Docs/filler1.doc", NoiseBytes(700000, 1));
        WriteHostFile(src + "/Docs/filler2.doc", NoiseBytes(700000, 2));
        fs::create_directory_symlink("../../../../../elsewhere", src + "/Media");
        const std::string backup = drives.Root('D') + "/Evil";
        fs::create_directories(backup);
        int status = 0;
        std::string out = RunCommand("wimlib-imagex capture '" + src + "' '" + backup + "/whole.wim' --compress=none"
                                     " --norpfix && wimlib-imagex split '" + backup + "/whole.wim' '" + backup +
                                     "/Image.swm' 1 && rm '" + backup + "/whole.wim'", &status);
        ASSERT_EQ(0, status) << out;
        ASSERT_TRUE(HostExists(backup + "/Image2.swm")) << out;

        CQXSerialization catalog;
        AddDocumentsImage(catalog, u"C:\\");
        FileNode big;
        big.suszPath = u"C:\\Media\\film.avi";
        big.splitPathArray = {u"C:\\Media\\film.avi.000"};
        big.size = 4;
        big.Category = u"DOCUMENTS";
        big.IndexofImage = {1};
        catalog.m_arBigFile.push_back(big);
        catalog.m_bigFileTotalSize = 4;
        // A restored file whose shortcut would go through the link.
        catalog.m_OverLengthFileList[u"C:\\Docs\\a.doc"] = u"C:\\Media\\sub\\a.doc";
        catalog.m_serializationData->simageList = {u"D:\\Evil\\Image.swm", u"D:\\Evil\\Image2.swm"};
        ASSERT_TRUE(catalog.Save(u"D:\\Evil"));
    }
};

TEST_F(CraftedBackupTest, ALinkInTheImageLeadsNothingOutsideTheRestoreFolder) {
    drives.Write(u"C:\\elsewhere\\film.avi.000", "evil");
    drives.Write(u"C:\\elsewhere\\film.avi", "the user's own file");
    MakeBackup();
    const std::vector<std::string> before = Outside();

    EXPECT_EQ(1, Restore(u"D:\\Evil", {u"Documents"}));
    auto posted = host.Drain();
    EXPECT_EQ(before, Outside());

    // The rest of the restore went on.
    std::string root = RestoreRoot();
    EXPECT_EQ("restored doc", ReadHostFile(root + "/C/Docs/a.doc"));
    EXPECT_EQ(fs::file_type::symlink, fs::symlink_status(root + "/C/Media").type());
    EXPECT_TRUE(FilesBelow(root, ".lnk").empty());

    // Each refused entry is reported with the link it met and its tag.
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_BIGFILES_MERGE_FAILED));
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_CREATE_DIRECTORY_FAILED));
    // The big file and the shortcut's folder.
    EXPECT_EQ(2u, Logged("\\C\\Media is a link or mount point (reparse tag 0xA000000C)"));
}

// An image made with UNIX data of a tree that asks for privileges: a
// set-user-ID and set-group-ID program of root, a set-group-ID folder of
// another user, a sticky world-writable folder, a program with a file
// capability and a device node open to everyone. Restored by root, none of it
// keeps a privilege; owners, ordinary modes and DOS attributes come back.
TEST_F(CraftedBackupTest, NoRestoredItemKeepsAPrivilegeTheImageAsksFor) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make and apply such an image";
    const std::string src = drives.Root('C') + "/src";
    drives.Write(u"C:\\src\\Docs\\tool.doc", "tool");
    drives.Write(u"C:\\src\\Docs\\plain.doc", "plain");
    drives.Write(u"C:\\src\\Docs\\hidden.doc", "hidden");
    drives.Write(u"C:\\src\\Docs\\cap.doc", "cap");
    drives.Write(u"C:\\src\\Shared\\note.doc", "note");
    fs::create_directories(src + "/Drop");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\src\\Docs\\hidden.doc", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\src\\Shared", FILE_ATTRIBUTE_HIDDEN));
    int status = 0;
    std::string out = RunCommand("cd '" + src + "' && chmod 6755 Docs/tool.doc && chmod 640 Docs/plain.doc"
                                 " && chown 1234:1234 Shared && chmod 2775 Shared && chmod 1777 Drop"
                                 " && setcap cap_net_raw+ep Docs/cap.doc && mknod Docs/disk c 1 3 && chmod 666 Docs/disk",
                                 &status);
    ASSERT_EQ(0, status) << out;
    const std::string backup = drives.Root('D') + "/Evil";
    fs::create_directories(backup);
    out = RunCommand("wimlib-imagex capture '" + src + "' '" + backup + "/whole.wim' --unix-data --compress=none"
                     " && wimlib-imagex split '" + backup + "/whole.wim' '" + backup + "/Image.swm' 1 && rm '" +
                     backup + "/whole.wim'", &status);
    ASSERT_EQ(0, status) << out;
    CQXSerialization catalog;
    AddDocumentsImage(catalog, u"C:\\");
    catalog.m_serializationData->simageList = {u"D:\\Evil\\Image.swm"};
    ASSERT_TRUE(catalog.Save(u"D:\\Evil"));

    EXPECT_EQ(0, Restore(u"D:\\Evil", {u"Documents"}));
    const std::string root = RestoreRoot() + "/C";
    for (const auto& entry : fs::recursive_directory_iterator(RestoreRoot())) {
        struct stat st;
        ASSERT_EQ(0, lstat(entry.path().c_str(), &st)) << entry.path();
        EXPECT_EQ(0u, st.st_mode & (S_ISUID | S_ISGID)) << entry.path();
        if (S_ISDIR(st.st_mode)) {
            EXPECT_EQ(0u, st.st_mode & S_ISVTX) << entry.path();
        }
    }
    const auto modeOf = [](const std::string& path) {
        struct stat st {};
        EXPECT_EQ(0, lstat(path.c_str(), &st)) << path;
        return st;
    };
    EXPECT_EQ(0755u, modeOf(root + "/Docs/tool.doc").st_mode & 07777);
    EXPECT_EQ(0u, modeOf(root + "/Docs/tool.doc").st_uid);
    EXPECT_EQ(0640u, modeOf(root + "/Docs/plain.doc").st_mode & 07777);
    EXPECT_EQ(0775u, modeOf(root + "/Shared").st_mode & 07777);
    EXPECT_EQ(1234u, modeOf(root + "/Shared").st_uid);
    EXPECT_EQ(0777u, modeOf(root + "/Drop").st_mode & 07777);
    EXPECT_TRUE(S_ISCHR(modeOf(root + "/Docs/disk").st_mode));
    EXPECT_EQ(0u, modeOf(root + "/Docs/disk").st_mode & 07777);
    EXPECT_EQ(-1, getxattr((root + "/Docs/cap.doc").c_str(), "security.capability", nullptr, 0));
    EXPECT_EQ(ENODATA, errno);
    EXPECT_EQ("note", ReadHostFile(root + "/Shared/note.doc"));
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              GetFileAttributesW(QxFromHostPath(root + "/Docs/hidden.doc")));
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN), GetFileAttributesW(QxFromHostPath(root + "/Shared")));
}

}  // namespace
