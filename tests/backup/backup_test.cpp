// The image backup end to end through the exported Backup.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "catalog/serialization.h"
#include "wimgapi.h"
#include "run_command.h"
#include "sample_tree.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

const ULONGLONG kMiB = 1048576;

int ImageCountOf(const std::string& hostWim) {
    std::string info = RunCommand("wimlib-imagex info '" + hostWim + "'");
    size_t at = info.find("Image Count:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 12));
}

struct BackupFixture : ::testing::Test {
    TestDrives drives{{"C", "D"}};
    Module module;
    HostWindow host;
    std::vector<CString> imageFiles;

    BackupFixture() { imageFiles.reserve(16); }

    int Backup(std::vector<CString> files, std::vector<CString> categories, BOOL split, int splitMB, int compression,
               ContinueCallback cb = nullptr) {
        return module.Backup(host.handle(), &files, u"C:\\types.txt", &categories, u"D:\\Backups\\Monday", u"Image",
                             split, splitMB, compression, &imageFiles, cb);
    }
};

std::vector<int> Numbers(std::vector<int> v) { return v; }

}  // namespace

TEST_F(BackupFixture, TwoDrivesThreeCategoriesGiveSixImagesInDriveMajorOrder) {
    SampleTree tree = MakeSampleTree(drives);
    // Input attributes must survive the backup unchanged.
    const CString readOnly = u"C:\\Users\\ann\\Documents\\report.doc";
    const CString hidden = u"D:\\Archive\\old letter.doc";
    ASSERT_TRUE(SetFileAttributesW(readOnly, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(hidden, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    std::vector<DWORD> attributesBefore;
    for (const auto& f : tree.files) attributesBefore.push_back(GetFileAttributesW(f.path));

    std::vector<CString> exclusions = {u"\\archive\\empty"};
    module.SetExclusionFileList(&exclusions);
    ASSERT_EQ(0, Backup(tree.Paths(), {u"Documents", u"Pictures", u"Music"}, FALSE, 0, WIM_COMPRESS_XPRESS));
    auto posted = host.Drain();

    ASSERT_EQ(1u, imageFiles.size());
    EXPECT_EQ(CString(u"D:\\Backups\\Monday\\Image.wim"), imageFiles[0]);
    EXPECT_EQ(6, ImageCountOf(drives.Host(imageFiles[0])));
    EXPECT_NE(std::string::npos, RunCommand("wimlib-imagex verify '" + drives.Host(imageFiles[0]) + "'").find("verified"));

    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(u"D:\\Backups\\Monday"));
    ASSERT_EQ(2u, catalog.m_arDrive.size());
    EXPECT_EQ(CString(u"C:\\"), catalog.m_arDrive[0].Drive);
    EXPECT_EQ(Numbers({1, 2, 3}), catalog.m_arDrive[0].IndexofImage);
    EXPECT_EQ(CString(u"D:\\"), catalog.m_arDrive[1].Drive);
    EXPECT_EQ(Numbers({4, 5, 6}), catalog.m_arDrive[1].IndexofImage);
    ASSERT_EQ(3u, catalog.m_arType.size());
    EXPECT_EQ(Numbers({1, 4}), catalog.m_arType[0].IndexofImage);
    EXPECT_EQ(Numbers({2, 5}), catalog.m_arType[1].IndexofImage);
    EXPECT_EQ(Numbers({3, 6}), catalog.m_arType[2].IndexofImage);
    ASSERT_EQ(1u, catalog.m_serializationData->simageList.size());
    EXPECT_EQ(2u, catalog.m_OverLengthFileList.size());
    for (const auto& entry : catalog.m_OverLengthFileList) {
        EXPECT_TRUE(entry.first.Find(u"\\_Exception") == 2) << entry.first.ToUtf8();
        EXPECT_NE(nullptr, tree.Find(entry.second));
    }

    // Six captures announced and finished, the split refused as too small, the end.
    auto operations = Codes(posted, host.operationStr);
    EXPECT_EQ(6, std::count(operations.begin(), operations.end(), MSG_OPERATION_BACKUP_APPEND_END));
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_WIM_SPLIT_SIZE_TOOSMALL));
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_PATH_LONGER_THAN_260));
    EXPECT_EQ(MSG_OPERATION_BACKUP_END, Codes(posted, host.operationStr).back());

    // The source list holds every captured file once, upper case, with its size; the excluded file is missing.
    auto lines = ReadUtf16Lines(drives.Host(u"D:\\Backups\\Monday\\SourceFileList.log"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(CString(u"[DOCUMENTS]"), lines[0]);
    bool sawReport = false, sawExcluded = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == u"C:\\USERS\\ANN\\DOCUMENTS\\REPORT.DOC") {
            sawReport = true;
            EXPECT_EQ(CString(u"File Size : 17 bytes"), lines[i + 1]);
        }
        if (lines[i].Find(u"EMPTY.TXT") >= 0) sawExcluded = true;
    }
    EXPECT_TRUE(sawReport);
    EXPECT_FALSE(sawExcluded);

    // Nothing made beside the user's files is left, and the user's files are untouched.
    EXPECT_TRUE(FilesBelow(drives.Root('C') + "/_Exception1").empty());
    EXPECT_TRUE(FilesBelow(drives.Root('D') + "/_Exception2").empty());
    EXPECT_TRUE(ChangedFiles(drives, tree).empty());
    for (size_t i = 0; i < tree.files.size(); ++i)
        EXPECT_EQ(attributesBefore[i], GetFileAttributesW(tree.files[i].path)) << tree.files[i].path.ToUtf8();
}

TEST_F(BackupFixture, BigFileIsCapturedAsPiecesIntoASplitSet) {
    SampleTree tree = MakeSampleTree(drives, 130 * kMiB);
    ASSERT_EQ(0, Backup(tree.Paths(), {u"Video", u"Documents"}, TRUE, 100, WIM_COMPRESS_NONE));
    auto posted = host.Drain();

    // Parts Image.swm, Image2.swm, ... as the split named them, each within the part size.
    ASSERT_GE(imageFiles.size(), 2u);
    EXPECT_EQ(CString(u"D:\\Backups\\Monday\\Image.swm"), imageFiles[0]);
    for (size_t i = 1; i < imageFiles.size(); ++i) {
        CString expected;
        expected.Format(u"D:\\Backups\\Monday\\Image%d.swm", static_cast<int>(i + 1));
        EXPECT_EQ(expected, imageFiles[i]);
    }
    for (const CString& part : imageFiles) EXPECT_LE(fs::file_size(drives.Host(part)), 100 * kMiB + 65536);
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\Backups\\Monday\\Image.wim")));
    EXPECT_TRUE(HasCode(posted, host.progressInt, 100));

    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(u"D:\\Backups\\Monday"));
    EXPECT_EQ(imageFiles, catalog.m_serializationData->simageList);
    ASSERT_EQ(1u, catalog.m_arBigFile.size());
    const FileNode& big = catalog.m_arBigFile[0];
    EXPECT_EQ(CString(u"C:\\Users\\ann\\Videos\\holiday.avi"), big.suszPath);
    EXPECT_EQ(130 * kMiB, big.size);
    ASSERT_EQ(2u, big.splitPathArray.size());
    EXPECT_EQ(CString(u"C:\\Users\\ann\\Videos\\holiday.avi.001"), big.splitPathArray[1]);
    // Categories are captured in type-list order, DOCUMENTS before VIDEO: the big
    // file is tied to the image of (C:, VIDEO), the second one.
    EXPECT_EQ(Numbers({2}), big.IndexofImage);
    EXPECT_EQ(130 * kMiB, catalog.m_bigFileTotalSize);

    // The image holds the pieces, not the big file; the pieces are gone from the drive.
    std::string listing = RunCommand("wimlib-imagex dir '" + drives.Host(imageFiles[0]) + "' 2 --ref='" +
                                     drives.Root('D') + "/Backups/Monday/Image*.swm'");
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
    drives.Write(u"C:\\Scanned\\only.doc", "scanned");
    std::vector<CString> documents = {u"Documents"};
    ULONGLONG count = 0;
    ASSERT_EQ(0, module.ScanFileArraySizeByPredefinedType(host.handle(), u"C:\\Scanned", u"C:\\types.txt",
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
    EXPECT_EQ(std::vector<CString>{u"C:\\Scanned\\only.doc"}, files);
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
    ASSERT_EQ(1, Backup({u"C:\\nowhere\\a.doc", u"C:\\nowhere\\b.jpg"}, {}, FALSE, 0, 1));
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
    files.push_back(u"C:\\Users\\ann\\Documents\\report.doc");
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
    const CString users = u"C:\\Users\\ann\\Videos\\holiday.avi.001";
    drives.Write(users, "the user's own file");
    ASSERT_EQ(0, Backup(tree.Paths(), {u"Video"}, TRUE, 1, WIM_COMPRESS_NONE));
    auto posted = host.Drain();
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_BIGFILES_SPLIT_FAILED));

    EXPECT_EQ("the user's own file", ReadHostFile(drives.Host(users)));
    EXPECT_FALSE(HostExists(drives.Host(u"C:\\Users\\ann\\Videos\\holiday.avi.000")));
    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(u"D:\\Backups\\Monday"));
    EXPECT_TRUE(catalog.m_arBigFile.empty());
    ASSERT_EQ(1u, imageFiles.size());  // a part size this small leaves the image whole
    std::string listing = RunCommand("wimlib-imagex dir '" + drives.Host(imageFiles[0]) + "' 1");
    EXPECT_NE(std::string::npos, listing.find("holiday.avi\n")) << listing;
    EXPECT_TRUE(ChangedFiles(drives, tree).empty());
}
