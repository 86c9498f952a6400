// A backup of two drives: each a file system of its own, as on Linux, where
// the drive table gives every test drive its own root (on Windows the test
// drives are folders of one drive).
#include "backup_fixture.h"

using namespace qxtest;

TEST_F(BackupFixture, TwoDrivesThreeCategoriesGiveSixImagesInDriveMajorOrder) {
    SampleTree tree = MakeSampleTree(drives);
    // Input attributes must survive the backup unchanged.
    const CString readOnly = P(u"C:\\Users\\ann\\Documents\\report.doc");
    const CString hidden = P(u"D:\\Archive\\old letter.doc");
    ASSERT_TRUE(SetFileAttributesW(readOnly, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(hidden, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    std::vector<DWORD> attributesBefore;
    for (const auto& f : tree.files) attributesBefore.push_back(GetFileAttributesW(f.path));

    std::vector<CString> exclusions = {u"\\archive\\empty"};
    module.SetExclusionFileList(&exclusions);
    ASSERT_EQ(0, Backup(tree.Paths(), {u"Documents", u"Pictures", u"Music"}, FALSE, 0, WIM_COMPRESS_XPRESS));
    auto posted = host.Drain();

    ASSERT_EQ(1u, imageFiles.size());
    EXPECT_EQ(CString(P(u"D:\\Backups\\Monday\\Image.wim")), imageFiles[0]);
    EXPECT_EQ(6, ImageCountOf(drives.Host(imageFiles[0])));
    EXPECT_TRUE(Verifies(drives.Host(imageFiles[0])));

    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(P(u"D:\\Backups\\Monday")));
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
