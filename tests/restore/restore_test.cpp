// Backup then restore, end to end through the exported functions.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "link_target.h"
#include "restore_fixture.h"

using namespace restoretest;
namespace fs = std::filesystem;

namespace {

bool IsOverLength(const SampleFile& f) { return f.path.GetLength() > 217; }

}  // namespace

TEST_F(RestoreFixture, ChosenCategoriesComeBackFromOneImageWithShortcutsForOverLengthFiles) {
    SampleTree tree = MakeSampleTree(drives);
    BackUp(tree, FALSE, 0, WIM_COMPRESS_LZX);
    const RootEntry systemSav(drives.DriveRootOf('C') + "/system.sav");
    WriteHostFile(systemSav.path() + "/logs/keep", "");

    ASSERT_EQ(0, Restore(u"D:\\Backups\\Monday", {u"documents", u"Pictures"}));
    auto posted = host.Drain();
    std::string root = RestoreRoot();

    for (const SampleFile& f : tree.files) {
        std::string restored = RestoredHostPath(root, f.path);
        bool wanted = f.category == u"DOCUMENTS" || f.category == u"PICTURES";
        if (!wanted) {
            EXPECT_FALSE(HostExists(restored)) << restored;
        } else if (!IsOverLength(f)) {
            ASSERT_TRUE(HostExists(restored)) << restored;
            EXPECT_EQ(f.content, ReadHostFile(restored)) << restored;
        }
    }

    // Over-length files come back in the exception folders of their drives'
    // roots, listed and linked from where they were.
    const std::string c = RestoredDriveRoot(root, 'C'), d = RestoredDriveRoot(root, 'D');
    auto copies1 = FilesBelow(c + "/_Exception1", ".doc");
    ASSERT_EQ(1u, copies1.size());
    EXPECT_EQ("deep down\n", ReadHostFile(copies1[0]));
    auto copies2 = FilesBelow(d + "/_Exception2", ".txt");
    ASSERT_EQ(1u, copies2.size());
    EXPECT_EQ("long name\n", ReadHostFile(copies2[0]));

    auto list1 = ReadUtf16Lines(c + "/_Exception1/ExceptionFileList.log");
    ASSERT_EQ(3u, list1.size());
    EXPECT_EQ(0, list1[0].Find(u"Current File Location:"));
    EXPECT_EQ(0, list1[1].Find(u"Original File Location:"));
    EXPECT_EQ(CString(u" "), list1[2]);
    EXPECT_TRUE(HostExists(d + "/_Exception2/ExceptionFileList.log"));

    auto links = FilesBelow(RestoredHostPath(root, u"C:\\Users"), ".lnk");
    ASSERT_EQ(1u, links.size());
    EXPECT_EQ("File backup Shortcut", LinkDescription(links[0]));
    // Below the Windows test's folders the copy lies deeper than MAX_PATH.
    if (ShortcutsHoldLongTargets()) {
        EXPECT_NE(std::string::npos, LinkTarget(links[0]).find("\\_Exception1\\")) << LinkTarget(links[0]);
    } else {
        std::cout << kNoLongShortcutTargets << ": the target is not checked\n";
    }
    EXPECT_EQ("deep report.lnk", fs::path(links[0]).filename().string());
    // The long name on D: is linked beside where it was, under its own name.
    EXPECT_TRUE(HostExists(RestoredHostPath(root, u"D:\\Archive\\" + CString(u'n', 230) + u".lnk")));

    // The restored list, and its copy into the drive's system.sav\logs.
    auto lines = ReadUtf16Lines(root + "/SourceFileList.log");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(CString(u"[documents]"), lines[0]);
    EXPECT_TRUE(HostExists(systemSav.path() + "/logs/Restore_SourceFileList.log"));

    auto operations = Codes(posted, host.operationStr);
    EXPECT_EQ(MSG_OPERATION_RESTORE_START, operations.front());
    EXPECT_EQ(MSG_OPERATION_RESTORE_END, operations.back());
    EXPECT_FALSE(HasCode(posted, host.errorStr, MSG_ERROR_WIM_RESTOR_FAILED));
    EXPECT_TRUE(ChangedFiles(drives, tree).empty());
}

TEST_F(RestoreFixture, BigFileIsRebuiltFromASplitSetAfterTheBackupFolderMoved) {
    SampleTree tree = MakeSampleTree(drives, 130 * kMiB);
    BackUp(tree, TRUE, 100, WIM_COMPRESS_NONE);
    // The split names the parts in the backup folder the host gave, never in its work folder.
    const std::string folder = drives.Path(u"D:\\Backups\\Monday").ToUtf8();
    EXPECT_EQ(3u, Logged("WIM_MSG_SPLIT - now splitting file: " + folder + "\\Image"));
    EXPECT_EQ(0u, Logged(folder + "\\Image.incomplete"));
    fs::rename(drives.Root('D') + "/Backups/Monday", drives.Root('D') + "/Moved");

    ASSERT_EQ(0, Restore(u"D:\\Moved", {u"VIDEO", u"Documents"}));
    auto posted = host.Drain();
    std::string root = RestoreRoot();
    const SampleFile* big = tree.Find(drives.Path(u"C:\\Users\\ann\\Videos\\holiday.avi"));
    std::string restored = RestoredHostPath(root, big->path);
    ASSERT_TRUE(HostExists(restored));
    EXPECT_TRUE(ReadHostFile(restored) == big->content);
    EXPECT_TRUE(FilesBelow(root, ".000").empty());
    EXPECT_TRUE(FilesBelow(root, ".001").empty());
    EXPECT_TRUE(HasCode(posted, host.progressInt, 100));
    EXPECT_EQ("quarterly report\n", ReadHostFile(RestoredHostPath(root, u"C:\\Users\\ann\\Documents\\report.doc")));
}

TEST_F(RestoreFixture, RestoreRootNamePutsBothDrivesIntoOneFolder) {
    SampleTree tree = MakeSampleTree(drives);
    BackUp(tree, FALSE, 0, WIM_COMPRESS_XPRESS);
    module.SetRestoreRootName(u"Everything");
    ASSERT_EQ(0, Restore(u"D:\\Backups\\Monday\\", {u"Documents"}));
    std::string root = RestoreRoot();
    EXPECT_EQ("quarterly report\n",
              ReadHostFile(RestoredHostPath(root, u"C:\\Users\\ann\\Documents\\report.doc", "Everything")));
    EXPECT_EQ("dear sir\n", ReadHostFile(RestoredHostPath(root, u"D:\\Archive\\old letter.doc", "Everything")));
    EXPECT_FALSE(HostExists(root + "/C"));
}

TEST_F(RestoreFixture, MissingCatalogEndsWithTheEndNotificationAndResultOne) {
    ASSERT_EQ(1, Restore(u"D:\\Nothing", {u"Documents"}));
    auto posted = host.Drain();
    EXPECT_EQ(MSG_OPERATION_RESTORE_END, Codes(posted, host.operationStr).back());
    EXPECT_FALSE(LastMessageBoxText().IsEmpty());
}

TEST_F(RestoreFixture, CatalogWhoseDriveEntryLeavesTheRestoreRootIsRefused) {
    fs::create_directories(drives.Root('D') + "/Backups");
    {
        CQXSerialization catalog;
        AddDocumentsImage(catalog, u"..\\..\\..\\Evil\\");
        catalog.m_serializationData->simageList.push_back(drives.Path(u"D:\\Backups\\Image.wim"));
        ASSERT_TRUE(catalog.Save(drives.Path(u"D:\\Backups")));
    }
    ASSERT_EQ(1, Restore(u"D:\\Backups", {u"Documents"}));
    auto posted = host.Drain();
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_UNSERIALIZATION_FAILED));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/Evil"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/Restore/Evil"));
}

TEST_F(RestoreFixture, AFailedApplyAsksTheHostAboutTheRestore) {
    fs::create_directories(drives.Root('D') + "/Backups");
    {
        CQXSerialization catalog;
        AddDocumentsImage(catalog, u"C:\\");
        catalog.m_serializationData->simageList.push_back(drives.Path(u"D:\\Backups\\Image.wim"));  // never written
        ASSERT_TRUE(catalog.Save(drives.Path(u"D:\\Backups")));
    }
    // A scan before it leaves its own kind with the host's callback.
    drives.Write(u"C:\\docs\\a.doc", "a");
    WriteHostFile(drives.WorkDir() + "/types.txt", "[Documents]\r\ndoc\r\n");
    std::vector<CString> categories = {u"Documents"};
    ULONGLONG count = 0;
    ContinueCounter::Reset();
    ASSERT_EQ(0, module.ScanFileArraySizeByPredefinedType(host.handle(), drives.Path(u"C:\\docs"), u"types.txt", &categories,
                                                          &count, ContinueCounter::Continue));
    ASSERT_EQ(ContinueCounter::operations, std::set<int>{OP_AUTO_SELECTION});

    ContinueCounter::Reset();
    EXPECT_EQ(1, Restore(u"D:\\Backups", {u"Documents"}, u"C:\\Restore", ContinueCounter::Continue));
    EXPECT_EQ(ContinueCounter::operations, std::set<int>{OP_RESTORE});
    EXPECT_TRUE(HasCode(host.Drain(), host.errorStr, MSG_ERROR_WIM_RESTOR_FAILED));
}
