// A backup handed to the restore by someone who wants it to write elsewhere:
// a real split image holding a folder link, and a catalog whose big-file and
// over-length entries run through that link.
#include <gtest/gtest.h>

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

}  // namespace
