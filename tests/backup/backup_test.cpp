// The image backup end to end through the exported Backup.
#include "backup_fixture.h"

using namespace qxtest;
namespace fs = std::filesystem;

TEST_F(BackupFixture, BigFileIsCapturedAsPiecesIntoASplitSet) {
    SampleTree tree = MakeSampleTree(drives, 130 * kMiB);
    ASSERT_EQ(0, Backup(tree.Paths(), {u"Video", u"Documents"}, TRUE, 100, WIM_COMPRESS_NONE));
    auto posted = host.Drain();

    // Parts Image.swm, Image2.swm, ... as the split named them, each within the part size.
    ASSERT_GE(imageFiles.size(), 2u);
    EXPECT_EQ(CString(P(u"D:\\Backups\\Monday\\Image.swm")), imageFiles[0]);
    for (size_t i = 1; i < imageFiles.size(); ++i) {
        CString expected;
        expected.Format(u"D:\\Backups\\Monday\\Image%d.swm", static_cast<int>(i + 1));
        EXPECT_EQ(P(expected), imageFiles[i]);
    }
    for (const CString& part : imageFiles) EXPECT_LE(fs::file_size(drives.Host(part)), 100 * kMiB + 65536);
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\Backups\\Monday\\Image.wim")));
    EXPECT_TRUE(HasCode(posted, host.progressInt, 100));

    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(P(u"D:\\Backups\\Monday")));
    EXPECT_EQ(imageFiles, catalog.m_serializationData->simageList);
    ASSERT_EQ(1u, catalog.m_arBigFile.size());
    const FileNode& big = catalog.m_arBigFile[0];
    EXPECT_EQ(CString(P(u"C:\\Users\\ann\\Videos\\holiday.avi")), big.suszPath);
    EXPECT_EQ(130 * kMiB, big.size);
    ASSERT_EQ(2u, big.splitPathArray.size());
    EXPECT_EQ(CString(P(u"C:\\Users\\ann\\Videos\\holiday.avi.001")), big.splitPathArray[1]);
    // Categories are captured in type-list order, DOCUMENTS before VIDEO: the big
    // file is tied to the image of (C:, VIDEO), the second one.
    EXPECT_EQ(Numbers({2}), big.IndexofImage);
    EXPECT_EQ(130 * kMiB, catalog.m_bigFileTotalSize);

    // The image holds the pieces, not the big file; the pieces are gone from the drive.
    std::string listing =
        ListingOf(drives.Host(imageFiles[0]), 2, drives.Host(u"D:\\Backups\\Monday\\Image*.swm"));
    EXPECT_NE(std::string::npos, listing.find("holiday.avi.000")) << listing;
    EXPECT_EQ(std::string::npos, listing.find("holiday.avi\n")) << listing;
    EXPECT_FALSE(HostExists(drives.Host(big.splitPathArray[0])));
    EXPECT_FALSE(HostExists(drives.Host(big.splitPathArray[1])));
    EXPECT_TRUE(ChangedFiles(drives, tree).empty());
}

// A backup keeps what the last scan found for the host, and its split
// progress is the share of its own image in the parts written so far.
TEST_F(BackupFixture, ABackupLeavesTheScanResultAndMeasuresItsSplitByItsOwnImage) {
    SampleTree tree = MakeSampleTree(drives, 130 * kMiB);
    drives.Write(P(u"C:\\Scanned\\only.doc"), "scanned");
    std::vector<CString> documents = {u"Documents"};
    ULONGLONG count = 0;
    ASSERT_EQ(0, module.ScanFileArraySizeByPredefinedType(host.handle(), P(u"C:\\Scanned"), P(u"C:\\types.txt"),
                                                          &documents, &count, nullptr));
    ASSERT_EQ(1u, count);
    host.Drain();

    ASSERT_EQ(0, Backup(tree.Paths(), {u"Video", u"Documents"}, TRUE, 100, WIM_COMPRESS_NONE));
    std::vector<long long> split;
    for (const Posted& p : host.Drain())
        if (p.message == host.progressInt && p.lParam == PHASE_SPLIT) split.push_back(p.wParam);
    EXPECT_TRUE(std::any_of(split.begin(), split.end(), [](long long p) { return p > 0 && p < 100; }));
    EXPECT_TRUE(std::is_sorted(split.begin(), split.end()));
    ASSERT_FALSE(split.empty());
    EXPECT_EQ(100, split.back());

    std::vector<CString> files;
    files.reserve(4);
    ULONGLONG total = 0;
    ASSERT_EQ(0, module.GetFileArrayByPredefinedType(&files, &total));
    EXPECT_EQ(std::vector<CString>{P(u"C:\\Scanned\\only.doc")}, files);
    EXPECT_EQ(7u, total);
}

TEST_F(BackupFixture, EmptyListIsRefusedBeforeAnythingIsCreated) {
    ASSERT_EQ(1, Backup({}, {}, FALSE, 0, 1));
    auto posted = host.Drain();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(CString(kQxfmTextNoFileInList), posted[0].text);
    EXPECT_FALSE(HostExists(drives.Root('D') + "/Backups"));
}

TEST_F(BackupFixture, MissingFilesAreDroppedAndNothingIsSaved) {
    MakeSampleTree(drives);
    ASSERT_EQ(1, Backup({P(u"C:\\nowhere\\a.doc"), P(u"C:\\nowhere\\b.jpg")}, {}, FALSE, 0, 1));
    auto posted = host.Drain();
    auto errors = Codes(posted, host.errorStr);
    EXPECT_EQ(2, std::count(errors.begin(), errors.end(), MSG_ERROR_SERIALIZATION_FAILED));
    EXPECT_FALSE(HasCode(posted, host.operationStr, MSG_OPERATION_BACKUP_APPEND_START));
    EXPECT_EQ(MSG_OPERATION_BACKUP_END, Codes(posted, host.operationStr).back());
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\Backups\\Monday\\Tarvolen.fbu")));
}

TEST_F(BackupFixture, CancelDuringPreparationLeavesNoPieces) {
    SampleTree tree = MakeSampleTree(drives, 3 * kMiB);
    // The big file comes last in the list; cut it, then cancel at the next file.
    std::vector<CString> files = tree.Paths();
    files.push_back(P(u"C:\\Users\\ann\\Documents\\report.doc"));
    ContinueCounter::Reset(static_cast<int>(files.size()) * 2);  // the total size asks once per file first
    ASSERT_EQ(1, Backup(files, {}, TRUE, 1, 0, ContinueCounter::Continue));
    auto posted = host.Drain();
    // A cancellation is not reported as an error; only the over-length warnings were posted.
    for (long long code : Codes(posted, host.errorStr)) EXPECT_EQ(MSG_ERROR_PATH_LONGER_THAN_260, code);
    EXPECT_FALSE(HostExists(drives.Host(u"C:\\Users\\ann\\Videos\\holiday.avi.000")));
    EXPECT_TRUE(FilesBelow(drives.Root('C') + "/_Exception1").empty());
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\Backups\\Monday\\Tarvolen.fbu")));
    EXPECT_TRUE(ChangedFiles(drives, tree).empty());
}

TEST_F(BackupFixture, AUsersFileNamedLikeAPieceIsKeptAndTheBigFileGoesWhole) {
    SampleTree tree = MakeSampleTree(drives, 3 * kMiB);
    const CString users = P(u"C:\\Users\\ann\\Videos\\holiday.avi.001");
    drives.Write(users, "the user's own file");
    ASSERT_EQ(0, Backup(tree.Paths(), {u"Video"}, TRUE, 1, WIM_COMPRESS_NONE));
    auto posted = host.Drain();
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_BIGFILES_SPLIT_FAILED));

    EXPECT_EQ("the user's own file", ReadHostFile(drives.Host(users)));
    EXPECT_FALSE(HostExists(drives.Host(u"C:\\Users\\ann\\Videos\\holiday.avi.000")));
    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(P(u"D:\\Backups\\Monday")));
    EXPECT_TRUE(catalog.m_arBigFile.empty());
    ASSERT_EQ(1u, imageFiles.size());  // a part size this small leaves the image whole
    std::string listing = ListingOf(drives.Host(imageFiles[0]), 1);
    EXPECT_NE(std::string::npos, listing.find("holiday.avi\n")) << listing;
    EXPECT_TRUE(ChangedFiles(drives, tree).empty());
}

// However many categories, each an image of its own, the image file is
// written once: it holds each image's tables once, not once per capture.
TEST_F(BackupFixture, ManyCategoriesMakeOneCompactImageFile) {
    const int kCategories = 60;
    std::string types;
    std::vector<CString> files;
    for (int i = 0; i < kCategories; ++i) {
        types += "[Kind" + std::to_string(i) + "]\r\nk" + std::to_string(i) + "\r\n";
        CString name;
        name.Format(u"C:\\Data\\file%d.k%d", i, i);
        drives.Write(name, "x");
        files.push_back(P(name));
    }
    drives.Write(u"C:\\types.txt", types);
    ASSERT_EQ(0, Backup(files, {}, FALSE, 0, WIM_COMPRESS_XPRESS));
    ASSERT_EQ(1u, imageFiles.size());
    HANDLE wim = WIMCreateFile(imageFiles[0], WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    ASSERT_NE(nullptr, wim);
    WIM_INFO info{};
    EXPECT_TRUE(WIMGetAttributes(wim, &info, sizeof info));
    WIMCloseHandle(wim);
    EXPECT_EQ(static_cast<DWORD>(kCategories), info.ImageCount);
    // Written anew at every capture, the file kept every earlier table and grew to megabytes.
    EXPECT_LT(fs::file_size(drives.Host(imageFiles[0])), kCategories * 4096u);
}
