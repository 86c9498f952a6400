// What a restore reports and leaves behind: a drive that fills up during an
// apply or a merge, a cancel at any point, the times of rebuilt files,
// categories without an image, a restore folder deeper than 260 characters.
#include <gtest/gtest.h>

#include <memory>
#include <regex>

#include "restore_fixture.h"
#include "tmpfs_mount.h"

using namespace restoretest;

namespace {

const CString kBigFile = u"C:\\Users\\ann\\Videos\\holiday.avi";

// Files of the restore that are pieces of a big file or a merge under way.
std::vector<std::string> PiecesAndPartialFiles(const std::string& root) {
    static const std::regex piece(".*\\.([0-9]{3,}|~merge[0-9]+)$");
    std::vector<std::string> found;
    for (const std::string& file : FilesBelow(root))
        if (std::regex_match(file, piece)) found.push_back(file);
    return found;
}

FILETIME LastWriteTime(const CString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(path, GetFileExInfoStandard, &data)) << path.ToUtf8();
    return data.ftLastWriteTime;
}

ULONGLONG Ticks(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

TEST_F(RestoreFixture, ARebuiltBigFileGetsTheOriginalsLastWriteTime) {
    SampleTree tree = MakeSampleTree(drives, 3 * kMiB);
    fs::last_write_time(drives.Host(kBigFile), fs::file_time_type::clock::now() - std::chrono::hours(24 * 3000));
    const ULONGLONG original = Ticks(LastWriteTime(drives.Path(kBigFile)));
    BackUp(tree, TRUE, 1, WIM_COMPRESS_NONE);

    ASSERT_EQ(0, Restore(u"D:\\Backups\\Monday", {u"Video"}));
    std::string restored = RestoredHostPath(RestoreRoot(), kBigFile);
    EXPECT_TRUE(ReadHostFile(restored) == tree.Find(drives.Path(kBigFile))->content);
    // Whole 100-ns ticks, as the image stores them.
    EXPECT_EQ(original / 10, Ticks(LastWriteTime(WindowsPathOf(restored))) / 10);
}

// A restore onto a drive E: with little room, of a backup of the sample tree
// with a 3 MiB video.
struct FullDriveRestore : RestoreFixture {
    FullDriveRestore() : RestoreFixture(QXFM_PROTOCOL_EXTENDED) {}  // -235 names the file
    TestDrives three{{"C", "D", "E"}};
    SampleTree tree = MakeSampleTree(three, 3 * kMiB);
    std::unique_ptr<TmpfsMount> small;

    // Mounts a tmpfs of size on E: and backs up (split at 1 MB, or not); false when none can be mounted.
    bool MountAndBackUp(const std::string& size, BOOL split) {
        small = std::make_unique<TmpfsMount>(three.Root('E'), size);
        if (!small->mounted()) return false;
        BackUp(tree, split, split ? 1 : 0, WIM_COMPRESS_NONE);
        return true;
    }
};

// The apply writes the pieces, the merge has no room for the whole file: no
// file under its name, the pieces kept, the failure reported.
TEST_F(FullDriveRestore, AMergeLeavesThePiecesAndFails) {
    if (!MountAndBackUp("5m", TRUE)) GTEST_SKIP() << TmpfsMount::kNotMounted;

    EXPECT_EQ(1, Restore(u"D:\\Backups\\Monday", {u"Video"}, u"E:\\Restore"));
    auto posted = host.Drain();
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_BIGFILES_MERGE_FAILED));
    const std::string root = RestoreRootIn(three.Root('E') + "/Restore");
    const std::string video = root + "/C/Users/ann/Videos";
    EXPECT_FALSE(HostExists(video + "/holiday.avi"));
    std::vector<std::string> left = PiecesAndPartialFiles(root);
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{video + "/holiday.avi.000", video + "/holiday.avi.001",
                                        video + "/holiday.avi.002", video + "/holiday.avi.003"}),
              left);
}

// The apply itself runs out of room: no file cut short stands under its
// name; it is removed and named (-235), what came back whole stays.
TEST_F(FullDriveRestore, AnApplyLeavesNoFileCutShort) {
    if (!MountAndBackUp("1m", FALSE)) GTEST_SKIP() << TmpfsMount::kNotMounted;

    EXPECT_EQ(1, Restore(u"D:\\Backups\\Monday", {u"Documents", u"Video"}, u"E:\\Restore"));
    auto posted = host.Drain();
    const std::string root = RestoreRootIn(three.Root('E') + "/Restore");
    EXPECT_FALSE(HostExists(RestoredHostPath(root, kBigFile)));
    std::vector<CString> named;
    for (const Posted& p : posted)
        if (p.message == host.errorStr && p.wParam == MSG_ERROR_WIM_MSG_ERROR) named.push_back(p.text);
    ASSERT_EQ(1u, named.size());
    EXPECT_EQ(named[0].Right(12), CString(u"\\holiday.avi"));
    size_t whole = 0;
    for (const SampleFile& file : tree.files) {
        const std::string restored = RestoredHostPath(root, file.path);
        if (!HostExists(restored)) continue;
        ++whole;
        EXPECT_TRUE(ReadHostFile(restored) == file.content) << restored;
    }
    EXPECT_GT(whole, 0u);
}

// Every point at which the host can cancel a split restore with a big file:
// afterwards no piece, no partial big file and no file cut short is left;
// what was restored stays.
TEST_F(RestoreFixture, ACancelAtAnyPointLeavesNoPiecesBehind) {
    SampleTree tree = MakeSampleTree(drives, 3 * kMiB);
    BackUp(tree, TRUE, 1, WIM_COMPRESS_NONE);
    const std::string target = drives.Root('C') + "/Restore";
    int points = 0;
    for (int cancelAt = 1;; ++cancelAt) {
        ContinueCounter::Reset(cancelAt);
        int result = Restore(u"D:\\Backups\\Monday", {u"Documents", u"Video"}, u"C:\\Restore", ContinueCounter::Continue);
        host.Drain();
        if (ContinueCounter::calls < cancelAt) {
            EXPECT_EQ(0, result);  // the whole restore ran without a cancel
            break;
        }
        ++points;
        EXPECT_EQ(1, result) << "cancelled at call " << cancelAt;
        EXPECT_EQ(std::vector<std::string>(), PiecesAndPartialFiles(target)) << "cancelled at call " << cancelAt;
        // Whatever stands under a file's name came back whole.
        const std::string root = RestoreRoot();
        for (const SampleFile& file : tree.files) {
            const std::string restored = RestoredHostPath(root, file.path);
            if (HostExists(restored)) {
                EXPECT_TRUE(ReadHostFile(restored) == file.content) << restored << " cancelled at call " << cancelAt;
            }
        }
        ASSERT_TRUE(RemoveHostTree(target));
    }
    EXPECT_GT(points, 10);
}

// A category with no image on a drive is nothing that failed to come back.
TEST_F(RestoreFixture, EveryCategoryOfTheCatalogRestoresWithSuccessWhenTheLastHasNoFiles) {
    SampleTree tree = MakeSampleTree(drives);
    drives.Write(tree.typeList, ReadHostFile(drives.Host(tree.typeList)) + "[Empty]\r\nzzz\r\n");
    BackUp(tree, FALSE, 0, WIM_COMPRESS_XPRESS);
    std::vector<CString> categories;
    categories.reserve(8);
    ASSERT_EQ(1, module.GetCategoriesFromSerializationData(drives.Path(u"D:\\Backups\\Monday"), &categories));
    ASSERT_EQ(CString(u"EMPTY"), categories.back());

    EXPECT_EQ(0, Restore(u"D:\\Backups\\Monday", categories));
    auto posted = host.Drain();
    EXPECT_FALSE(HasCode(posted, host.errorStr, MSG_ERROR_WIM_RESTOR_FAILED));
    EXPECT_EQ("dear sir\n", ReadHostFile(RestoredHostPath(RestoreRoot(), u"D:\\Archive\\old letter.doc")));
}

TEST_F(RestoreFixture, ARestoreIntoAFolderDeeperThan260CharactersWorks) {
    SampleTree tree = MakeSampleTree(drives);
    BackUp(tree, FALSE, 0, WIM_COMPRESS_XPRESS);
    std::string deep = "Restore";
    for (int i = 0; i < 3; ++i) deep += "/" + std::string(90, 'd');
    CString target = u"C:\\" + CString::FromUtf8(deep);
    target.Replace(u'/', u'\\');
    ASSERT_GT(target.GetLength() + 40, 260);  // with "System Recovery Files" and the date

    EXPECT_EQ(0, Restore(u"D:\\Backups\\Monday", {u"Documents"}, target));
    EXPECT_EQ("quarterly report\n",
              ReadHostFile(RestoredHostPath(RestoreRoot(deep), u"C:\\Users\\ann\\Documents\\report.doc")));
}

// The image engine writes its entries into Dbg.log of the folder that is
// current when it writes them: a host that removes its log, or moves to
// another folder, between two restores finds the second restore's entries.
TEST_F(RestoreFixture, TheImageEnginesEntriesFollowTheHostsCurrentFolderFromRestoreToRestore) {
    SampleTree tree = MakeSampleTree(drives);
    BackUp(tree, FALSE, 0, WIM_COMPRESS_XPRESS);
    WriteHostFile(drives.Root('D') + "/Backups/Monday/Image.wim", "not an image");
    const std::string cannotOpen =
        "Failure, Cannot open " + drives.Path(u"D:\\Backups\\Monday\\Image.wim").ToUtf8() + " file";
    const std::string first = drives.WorkDir() + "/Dbg.log";
    EXPECT_EQ(1, Restore(u"D:\\Backups\\Monday", {u"Documents"}));
    EXPECT_EQ(1u, Logged(cannotOpen));

    // The module leaves its log read-only, and Windows removes no read-only file.
    ASSERT_TRUE(SetFileAttributesW(u"Dbg.log", FILE_ATTRIBUTE_NORMAL));
    fs::remove(first);
    EXPECT_EQ(1, Restore(u"D:\\Backups\\Monday", {u"Documents"}));
    EXPECT_EQ(1u, Logged(cannotOpen));

    const std::string other = drives.WorkDir() + "/other";
    fs::create_directory(other);
    const fs::path work = fs::current_path();
    fs::current_path(other);
    EXPECT_EQ(1, Restore(u"D:\\Backups\\Monday", {u"Documents"}));
    fs::current_path(work);
    EXPECT_NE(std::string::npos, ReadHostFile(other + "/Dbg.log").find(cannotOpen));
    EXPECT_EQ(1u, Logged(cannotOpen));
}

}  // namespace
