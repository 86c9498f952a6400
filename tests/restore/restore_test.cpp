// Backup then restore, end to end through the exported functions.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "catalog/serialization.h"
#include "wimgapi.h"
#include "sample_tree.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

const ULONGLONG kMiB = 1048576;

bool IsOverLength(const SampleFile& f) { return f.path.GetLength() > 217; }

struct RestoreFixture : ::testing::Test {
    TestDrives drives{{"C", "D"}};
    Module module;
    HostWindow host;

    void BackUp(const SampleTree& tree, BOOL split, int splitMB, int compression) {
        std::vector<CString> files = tree.Paths(), categories, imageFiles;
        imageFiles.reserve(8);
        ASSERT_EQ(0, module.Backup(host.handle(), &files, tree.typeList, &categories, u"D:\\Backups\\Monday",
                                   u"Image", split, splitMB, compression, &imageFiles, nullptr));
        host.Drain();
    }

    int Restore(const CString& backupFolder, std::vector<CString> categories) {
        return module.Restore(host.handle(), backupFolder, &categories, u"C:\\Restore", nullptr);
    }

    // Host path of the one dated restore folder below C:\Restore\System Recovery Files.
    std::string RestoreRoot() {
        std::string base = drives.Root('C') + "/Restore/System Recovery Files";
        std::vector<std::string> roots;
        for (auto& e : fs::directory_iterator(base)) roots.push_back(e.path().string());
        EXPECT_EQ(1u, roots.size());
        return roots.empty() ? base : roots[0];
    }

    // Where a backed-up file lands: <root>/<drive letter>/<path below the drive>.
    static std::string RestoredHostPath(const std::string& root, const CString& path, const std::string& folder = "") {
        std::string p = path.ToUtf8();
        std::string out = root + "/" + (folder.empty() ? std::string(1, p[0]) : folder);
        for (char c : p.substr(2)) out += c == '\\' ? '/' : c;
        return out;
    }
};

}  // namespace

TEST_F(RestoreFixture, ChosenCategoriesComeBackFromOneImageWithShortcutsForOverLengthFiles) {
    SampleTree tree = MakeSampleTree(drives);
    BackUp(tree, FALSE, 0, WIM_COMPRESS_LZX);
    drives.Write(u"C:\\system.sav\\logs\\keep", "");

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

    // Over-length files come back in the exception folders, listed and linked from where they were.
    auto copies1 = FilesBelow(root + "/C/_Exception1", ".doc");
    ASSERT_EQ(1u, copies1.size());
    EXPECT_EQ("deep down\n", ReadHostFile(copies1[0]));
    auto copies2 = FilesBelow(root + "/D/_Exception2", ".txt");
    ASSERT_EQ(1u, copies2.size());
    EXPECT_EQ("long name\n", ReadHostFile(copies2[0]));

    auto list1 = ReadUtf16Lines(root + "/C/_Exception1/ExceptionFileList.log");
    ASSERT_EQ(3u, list1.size());
    EXPECT_EQ(0, list1[0].Find(u"Current File Location:"));
    EXPECT_EQ(0, list1[1].Find(u"Original File Location:"));
    EXPECT_EQ(CString(u" "), list1[2]);
    EXPECT_TRUE(HostExists(root + "/D/_Exception2/ExceptionFileList.log"));

    auto links = FilesBelow(root + "/C/Users", ".lnk");
    ASSERT_EQ(1u, links.size());
    std::string info = RunCommand("lnkinfo '" + links[0] + "'");
    EXPECT_NE(std::string::npos, info.find("File backup Shortcut")) << info;
    EXPECT_NE(std::string::npos, info.find("_Exception1")) << info;
    EXPECT_EQ("deep report.lnk", fs::path(links[0]).filename().string());
    // The long name on D: is linked beside where it was, under its own name.
    EXPECT_TRUE(HostExists(root + "/D/Archive/" + std::string(230, 'n') + ".lnk"));

    // The restored list, and its copy into the drive's system.sav\logs.
    auto lines = ReadUtf16Lines(root + "/SourceFileList.log");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(CString(u"[documents]"), lines[0]);
    EXPECT_TRUE(HostExists(drives.Root('C') + "/system.sav/logs/Restore_SourceFileList.log"));

    auto operations = Codes(posted, host.operationStr);
    EXPECT_EQ(MSG_OPERATION_RESTORE_START, operations.front());
    EXPECT_EQ(MSG_OPERATION_RESTORE_END, operations.back());
    EXPECT_FALSE(HasCode(posted, host.errorStr, MSG_ERROR_WIM_RESTOR_FAILED));
    EXPECT_TRUE(ChangedFiles(drives, tree).empty());
}

TEST_F(RestoreFixture, BigFileIsRebuiltFromASplitSetAfterTheBackupFolderMoved) {
    SampleTree tree = MakeSampleTree(drives, 130 * kMiB);
    BackUp(tree, TRUE, 100, WIM_COMPRESS_NONE);
    fs::rename(drives.Root('D') + "/Backups/Monday", drives.Root('D') + "/Moved");

    ASSERT_EQ(0, Restore(u"D:\\Moved", {u"VIDEO", u"Documents"}));
    auto posted = host.Drain();
    std::string root = RestoreRoot();
    const SampleFile* big = tree.Find(u"C:\\Users\\ann\\Videos\\holiday.avi");
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
    EXPECT_FALSE(QxLastMessageBoxText().IsEmpty());
}

TEST_F(RestoreFixture, CatalogWhoseDriveEntryLeavesTheRestoreRootIsRefused) {
    fs::create_directories(drives.Root('D') + "/Backups");
    {
        CQXSerialization catalog;
        DriveEntry evil;
        evil.Drive = u"..\\..\\..\\Evil\\";
        evil.IndexofImage = {1};
        catalog.m_arDrive.push_back(evil);
        TypeEntry type;
        type.Category = u"DOCUMENTS";
        type.Extension = {u"DOC"};
        type.IndexofImage = {1};
        catalog.m_arType.push_back(type);
        catalog.m_serializationData->simageList.push_back(u"D:\\Backups\\Image.wim");
        ASSERT_TRUE(catalog.Save(u"D:\\Backups"));
    }
    ASSERT_EQ(1, Restore(u"D:\\Backups", {u"Documents"}));
    auto posted = host.Drain();
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_UNSERIALIZATION_FAILED));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/Evil"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/Restore/Evil"));
}
