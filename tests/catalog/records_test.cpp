// The catalog root's in-memory operations.
#include <gtest/gtest.h>

#include "services/state.h"
#include "catalog/serialization.h"

namespace {

FileNode Node(const CString& path, ULONGLONG size = 1) {
    FileNode node;
    node.suszPath = path;
    node.size = size;
    node.IndexofImage = {1};
    return node;
}

TEST(CatalogRecords, FreshRootIsEmptyAndLinked) {
    CQXSerialization catalog;
    ASSERT_NE(catalog.m_serializationData, nullptr);
    EXPECT_EQ(catalog.m_serializationData->arDriveList, &catalog.m_arDrive);
    EXPECT_EQ(catalog.m_serializationData->arTypeList, &catalog.m_arType);
    EXPECT_EQ(catalog.GetImageList(), &catalog.m_serializationData->simageList);
    EXPECT_TRUE(catalog.GetImageList()->empty());
    EXPECT_TRUE(catalog.GetDriveList().empty());
    EXPECT_TRUE(catalog.GetTypeList().empty());
    EXPECT_TRUE(catalog.GetOverLengthMap().empty());
    EXPECT_EQ(catalog.m_bigFileTotalSize, 0u);
    EXPECT_EQ(catalog.m_bigFileDoneSize, 0u);
}

TEST(CatalogRecords, AddFileToDriveFilesByUpperCaseDriveRoot) {
    CQXSerialization catalog;
    catalog.AddFileToDrive(Node(u"c:\\Docs\\a.txt"));
    catalog.AddFileToDrive(Node(u"C:\\b.doc"));
    catalog.AddFileToDrive(Node(u"d:\\x\\y.jpg"));
    ASSERT_EQ(catalog.m_arDrive.size(), 2u);
    EXPECT_EQ(catalog.m_arDrive[0].Drive, u"C:\\");
    ASSERT_EQ(catalog.m_arDrive[0].arFileList.size(), 2u);
    EXPECT_EQ(catalog.m_arDrive[0].arFileList[0].suszPath, u"c:\\Docs\\a.txt");  // case kept in the node
    EXPECT_EQ(catalog.m_arDrive[0].arFileList[0].IndexofImage, std::vector<int>{1});
    EXPECT_EQ(catalog.m_arDrive[1].Drive, u"D:\\");
    EXPECT_TRUE(catalog.m_arDrive[0].IndexofImage.empty());
}

TEST(CatalogRecords, LookupsIgnoreLetterCaseAndTakeTheFirstMatch) {
    CQXSerialization catalog;
    catalog.AddFileToDrive(Node(u"C:\\a"));
    TypeEntry docs;
    docs.Category = u"Documents";
    TypeEntry again;
    again.Category = u"DOCUMENTS";
    again.Extension = {u"second"};
    catalog.SetTypeList({docs, again});
    CategoryFiles files;
    files.Category = u"Pictures";
    files.arFileList = {u"C:\\P.JPG"};
    files.arBigFileList = {u"C:\\BIG.JPG"};
    files.iOrder = 1;
    catalog.m_arCategoryFiles.push_back(files);

    EXPECT_EQ(catalog.FindDrive(u"c:\\"), &catalog.m_arDrive[0]);
    EXPECT_EQ(catalog.FindDrive(u"D:\\"), nullptr);
    EXPECT_EQ(catalog.FindType(u"documents"), &catalog.m_arType[0]);
    EXPECT_EQ(catalog.FindType(u"MUSIC"), nullptr);
    EXPECT_EQ(catalog.FindCategoryFiles(u"PICTURES"), &catalog.m_arCategoryFiles[0]);
    EXPECT_EQ(catalog.FindCategoryFiles(u"MUSIC"), nullptr);

    catalog.AddImageToDrive(u"c:\\", 4);
    catalog.AddImageToType(u"dOcUmEnTs", 4);
    catalog.AddImageToType(u"MUSIC", 5);  // no entry: nothing
    catalog.AddImageToDrive(u"E:\\", 5);
    EXPECT_EQ(catalog.m_arDrive[0].IndexofImage, std::vector<int>{4});
    EXPECT_EQ(catalog.m_arType[0].IndexofImage, std::vector<int>{4});
    EXPECT_TRUE(catalog.m_arType[1].IndexofImage.empty());
}

TEST(CatalogRecords, CategoryFileListsEmptyTheOutputFirst) {
    CQXSerialization catalog;
    CategoryFiles files;
    files.Category = u"PICTURES";
    files.arFileList = {u"C:\\A.JPG", u"C:\\B.JPG"};
    files.arBigFileList = {u"C:\\B.JPG"};
    catalog.m_arCategoryFiles.push_back(files);

    std::vector<CString> out = {u"stale"};
    EXPECT_TRUE(catalog.GetCategoryFiles(out, u"pictures"));
    EXPECT_EQ(out, files.arFileList);
    EXPECT_TRUE(catalog.GetCategoryBigFiles(out, u"Pictures"));
    EXPECT_EQ(out, files.arBigFileList);
    EXPECT_FALSE(catalog.GetCategoryFiles(out, u"MUSIC"));
    EXPECT_TRUE(out.empty());
    out = {u"stale"};
    EXPECT_FALSE(catalog.GetCategoryBigFiles(out, u"MUSIC"));
    EXPECT_TRUE(out.empty());
}

TEST(CatalogRecords, ImagesAndMapsAreCopied) {
    CQXSerialization catalog;
    std::vector<CString> images = {u"E:\\i.swm", u"E:\\i2.swm"};
    catalog.AppendImages(&images);
    catalog.AppendImages(&images);
    catalog.AppendImages(nullptr);
    ASSERT_EQ(catalog.GetImageList()->size(), 4u);
    EXPECT_EQ((*catalog.GetImageList())[2], u"E:\\i.swm");

    std::map<CString, CString> map = {{u"b", u"1"}, {u"B", u"2"}, {u"a", u"3"}};
    catalog.SetOverLengthMap(map);
    map.clear();
    std::map<CString, CString> copy = catalog.GetOverLengthMap();
    ASSERT_EQ(copy.size(), 3u);
    EXPECT_EQ(copy.begin()->first, u"B");  // code-unit order: upper case first
}

TEST(CatalogRecords, ClearEmptiesTheListsButKeepsTheMapAndSizes) {
    CQXSerialization catalog;
    catalog.AddFileToDrive(Node(u"C:\\a"));
    catalog.SetTypeList({TypeEntry{u"DOCUMENTS", {u"doc"}, {1}}});
    std::vector<CString> images = {u"E:\\i.wim"};
    catalog.AppendImages(&images);
    catalog.m_arBigFile.push_back(Node(u"C:\\big"));
    catalog.m_arCategoryFiles.push_back(CategoryFiles{u"DOCUMENTS", {u"C:\\A"}, {}, 1});
    catalog.SetOverLengthMap({{u"k", u"v"}});
    catalog.m_bigFileTotalSize = 123;
    catalog.m_bigFileDoneSize = 45;

    catalog.Clear();
    EXPECT_TRUE(catalog.m_arDrive.empty());
    EXPECT_TRUE(catalog.m_arType.empty());
    EXPECT_TRUE(catalog.GetImageList()->empty());
    EXPECT_TRUE(catalog.m_arBigFile.empty());
    EXPECT_TRUE(catalog.m_arCategoryFiles.empty());
    EXPECT_EQ(catalog.m_OverLengthFileList.size(), 1u);
    EXPECT_EQ(catalog.m_bigFileTotalSize, 123u);
    EXPECT_EQ(catalog.m_bigFileDoneSize, 45u);

    catalog.Reset();
    EXPECT_TRUE(catalog.m_OverLengthFileList.empty());
    EXPECT_EQ(catalog.m_bigFileTotalSize, 0u);
    EXPECT_EQ(catalog.m_bigFileDoneSize, 0u);
}

TEST(CatalogRecords, DebugLogPathGoesToTheProcessSetting) {
    CString before = g_strDebugLogFile;
    CQXSerialization catalog;
    catalog.SetDebugLogPath(u"C:\\logs\\Dbg.log");
    EXPECT_EQ(g_strDebugLogFile, u"C:\\logs\\Dbg.log");
    g_strDebugLogFile = before;
}

}  // namespace
