// "Tarvolen.fbu": the stored bytes against hand-made vectors, save and load,
// and damaged catalogs.
#include <gtest/gtest.h>

#include "afx.h"
#include "services/state.h"
#include "catalog/serialization.h"
#include "catalog_bytes.h"
#include "testhost.h"

using namespace cattest;
using namespace qxtest;

namespace {

class CatalogFileTest : public ::testing::Test {
protected:
    void SetUp() override { g_pHostWnd = host.handle(); }
    void TearDown() override { g_pHostWnd = nullptr; }

    std::string CatalogHost() const { return drives.Host(u"C:\\backup\\Tarvolen.fbu"); }
    void WriteCatalog(const std::string& bytes) const { WriteHostFile(CatalogHost(), bytes); }
    std::vector<long long> Errors() { return Codes(host.Drain(), host.errorStr); }

    // The catalog that FullBody() describes, built in memory.
    static void Fill(CQXSerialization& c) {
        FileNode file;
        file.suszPath = u"C:\\a.doc";
        c.AddFileToDrive(file);
        file.suszPath = u"C:\\b.doc";
        c.AddFileToDrive(file);
        c.m_arDrive[0].IndexofImage = {1, 2};
        c.m_arDrive.push_back(DriveEntry{u"D:\\", {}, {3}});
        c.SetTypeList({TypeEntry{u"DOCUMENTS", {u"doc", u"txt*"}, {1, 3}}, TypeEntry{u"PICTURES", {}, {2}}});
        std::vector<CString> images = {u"E:\\b\\i.swm", u"E:\\b\\i2.swm"};
        c.AppendImages(&images);
        FileNode big;
        big.suszPath = u"C:\\big.iso";
        big.splitPathArray = {u"C:\\big.iso.000", u"C:\\big.iso.001"};
        big.size = 5000000000ULL;
        big.Category = u"OTHERS";
        big.Extension = u"iso";
        c.m_arBigFile.push_back(big);
        c.SetOverLengthMap({{u"a", u"1"}, {u"B", u"2"}});
    }

    static void ExpectFull(CQXSerialization& c) {
        ASSERT_EQ(c.m_arDrive.size(), 2u);
        EXPECT_EQ(c.m_arDrive[0].Drive, u"C:\\");
        EXPECT_TRUE(c.m_arDrive[0].arFileList.empty());  // only the count is stored
        EXPECT_EQ(c.m_arDrive[0].IndexofImage, (std::vector<int>{1, 2}));
        EXPECT_EQ(c.m_arDrive[1].Drive, u"D:\\");
        EXPECT_EQ(c.m_arDrive[1].IndexofImage, std::vector<int>{3});
        ASSERT_EQ(c.m_arType.size(), 2u);
        EXPECT_EQ(c.m_arType[0].Category, u"DOCUMENTS");
        EXPECT_EQ(c.m_arType[0].Extension, (std::vector<CString>{u"doc", u"txt*"}));
        EXPECT_EQ(c.m_arType[0].IndexofImage, (std::vector<int>{1, 3}));
        EXPECT_EQ(c.m_arType[1].Category, u"PICTURES");
        EXPECT_TRUE(c.m_arType[1].Extension.empty());
        EXPECT_EQ(*c.GetImageList(), (std::vector<CString>{u"E:\\b\\i.swm", u"E:\\b\\i2.swm"}));
        ASSERT_EQ(c.m_arBigFile.size(), 1u);
        const FileNode& big = c.m_arBigFile[0];
        EXPECT_EQ(big.suszPath, u"C:\\big.iso");
        EXPECT_EQ(big.splitPathArray, (std::vector<CString>{u"C:\\big.iso.000", u"C:\\big.iso.001"}));
        EXPECT_EQ(big.size, 5000000000ULL);
        EXPECT_EQ(big.Category, u"OTHERS");
        EXPECT_EQ(big.Extension, u"iso");
        EXPECT_TRUE(big.IndexofImage.empty());
        EXPECT_EQ(c.m_bigFileTotalSize, 5000000000ULL);
        EXPECT_EQ(c.m_OverLengthFileList, (std::map<CString, CString>{{u"a", u"1"}, {u"B", u"2"}}));
    }

    static void ExpectReset(CQXSerialization& c) {
        EXPECT_TRUE(c.m_arDrive.empty());
        EXPECT_TRUE(c.m_arType.empty());
        EXPECT_TRUE(c.GetImageList()->empty());
        EXPECT_TRUE(c.m_arBigFile.empty());
        EXPECT_TRUE(c.m_OverLengthFileList.empty());
        EXPECT_EQ(c.m_bigFileTotalSize, 0u);
    }

    static CString SystemText(DWORD error) {
        WCHAR text[512] = {};
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, 512,
                       nullptr);
        CString result(text);
        result.TrimRight(u"\r\n");
        return result;
    }

    // Seconds of the file's last-write time.
    static LONGLONG LastWriteSeconds(const CString& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        EXPECT_TRUE(GetFileAttributesExW(path, GetFileExInfoStandard, &data));
        return QxFileTimeToUnixSeconds(data.ftLastWriteTime);
    }

    TestDrives drives{{"C"}};
    HostWindow host;
    const CString folder = drives.Path(u"C:\\backup");
    const CString catalogPath = drives.Path(u"C:\\backup\\Tarvolen.fbu");
};

TEST_F(CatalogFileTest, SavedBytesMatchTheHandMadeVector) {
    drives.Write(u"C:\\backup\\x", "");
    CQXSerialization c;
    Fill(c);
    ASSERT_TRUE(c.Save(folder));
    LONGLONG stamp = LastWriteSeconds(catalogPath);
    EXPECT_EQ(ReadHostFile(CatalogHost()), CatalogFile(FullBody(), stamp));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(CatalogFileTest, HandMadeVectorLoads) {
    WriteCatalog(CatalogFile(FullBody()));
    CQXSerialization c;
    ASSERT_TRUE(c.Load(folder));
    ExpectFull(c);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(CatalogFileTest, RoundTripThroughSaveAndLoad) {
    drives.Write(u"C:\\backup\\x", "");
    {
        CQXSerialization c;
        Fill(c);
        ASSERT_TRUE(c.Save(folder + u"\\"));
    }
    CQXSerialization loaded;
    ASSERT_TRUE(loaded.Load(folder));
    ExpectFull(loaded);
}

TEST_F(CatalogFileTest, EmptyCatalogWritesZeroCountsAndReadsBackEmpty) {
    drives.Write(u"C:\\backup\\x", "");
    CQXSerialization c;
    ASSERT_TRUE(c.Save(folder));
    EXPECT_EQ(ReadHostFile(CatalogHost()), CatalogFile(EmptyBody(), LastWriteSeconds(catalogPath)));
    CQXSerialization loaded;
    ASSERT_TRUE(loaded.Load(folder + u"\\"));
    ExpectReset(loaded);

    // No drives and no types, yet the fields after them are read.
    WriteCatalog(CatalogFile(I32(0) + I32(0) + I32(1) + S(u"E:\\i.wim") + I32(0) + U64(7) + I32(1) + S(u"k") +
                             S(u"v")));
    CQXSerialization partial;
    ASSERT_TRUE(partial.Load(folder));
    EXPECT_EQ(*partial.GetImageList(), std::vector<CString>{u"E:\\i.wim"});
    EXPECT_EQ(partial.m_bigFileTotalSize, 7u);
    EXPECT_EQ(partial.m_OverLengthFileList.at(u"k"), u"v");
}

TEST_F(CatalogFileTest, SavedFileIsReadOnlyHiddenWithTheStoredTime) {
    drives.Write(u"C:\\backup\\x", "");
    CQXSerialization c;
    Fill(c);
    ASSERT_TRUE(c.Save(folder));
    DWORD attributes = GetFileAttributesW(catalogPath);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    std::string bytes = ReadHostFile(CatalogHost());
    ASSERT_GE(bytes.size(), 46u);
    EXPECT_EQ(bytes.substr(34, 4), I32(static_cast<int32_t>(0x8000000A)));
    int64_t stored = 0;
    for (int i = 7; i >= 0; --i) stored = (stored << 8) | static_cast<unsigned char>(bytes[38 + i]);
    EXPECT_EQ(stored, LastWriteSeconds(catalogPath));
}

TEST_F(CatalogFileTest, SavingReplacesAReadOnlyHiddenCatalog) {
    drives.Write(u"C:\\backup\\x", "");
    CQXSerialization first;
    ASSERT_TRUE(first.Save(folder));
    CQXSerialization second;
    Fill(second);
    ASSERT_TRUE(second.Save(folder));
    CQXSerialization loaded;
    ASSERT_TRUE(loaded.Load(folder));
    ExpectFull(loaded);
}

TEST_F(CatalogFileTest, SaveFailsWhenTheOldCatalogCannotBeDeleted) {
    drives.Write(u"C:\\backup\\Tarvolen.fbu\\inside", "keep");
    CQXSerialization c;
    Fill(c);
    EXPECT_FALSE(c.Save(folder));
    EXPECT_EQ(ReadHostFile(drives.Host(u"C:\\backup\\Tarvolen.fbu\\inside")), "keep");
    EXPECT_TRUE(Errors().empty());
}

TEST_F(CatalogFileTest, SaveIntoAMissingFolderShowsTheFileError) {
    CQXSerialization c;
    EXPECT_FALSE(c.Save(drives.Path(u"C:\\nowhere")));
    EXPECT_EQ(LastMessageBoxText(), SystemText(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(CatalogFileTest, StoredCountsAndTotalComeFromTheLists) {
    drives.Write(u"C:\\backup\\x", "");
    CQXSerialization c;
    for (const char16_t* p : {u"C:\\1", u"C:\\2", u"C:\\3"}) {
        FileNode node;
        node.suszPath = p;
        c.AddFileToDrive(node);
    }
    FileNode big;
    big.size = 10;
    c.m_arBigFile = {big, big};
    c.m_bigFileTotalSize = 999;
    ASSERT_TRUE(c.Save(folder));
    EXPECT_EQ(c.m_bigFileTotalSize, 20u);
    std::string body = ReadHostFile(CatalogHost()).substr(46);
    std::string bigNode = S(u"") + I32(0) + U64(10) + S(u"") + S(u"") + I32(0);
    EXPECT_EQ(body, I32(1) + S(u"C:\\") + I32(3) + I32(0) + I32(0) + I32(0) + I32(2) + bigNode + bigNode + U64(20) +
                        I32(0));
    CQXSerialization loaded;
    ASSERT_TRUE(loaded.Load(folder));
    ASSERT_EQ(loaded.m_arDrive.size(), 1u);
    EXPECT_TRUE(loaded.m_arDrive[0].arFileList.empty());
}

TEST_F(CatalogFileTest, OverLengthEntriesGoInCodeUnitOrderAndRepeatedKeysKeepTheLast) {
    drives.Write(u"C:\\backup\\x", "");
    CQXSerialization c;
    c.SetOverLengthMap({{u"b", u"1"}, {u"a", u"2"}, {u"B", u"3"}, {u"\u00E9", u"4"}});
    ASSERT_TRUE(c.Save(folder));
    std::string body = ReadHostFile(CatalogHost()).substr(46);
    EXPECT_EQ(body, I32(0) + I32(0) + I32(0) + I32(0) + U64(0) + I32(4) + S(u"B") + S(u"3") + S(u"a") + S(u"2") +
                        S(u"b") + S(u"1") + S(u"\u00E9") + S(u"4"));

    WriteCatalog(CatalogFile(I32(0) + I32(0) + I32(0) + I32(0) + U64(0) + I32(2) + S(u"k") + S(u"old") + S(u"k") +
                             S(u"new")));
    CQXSerialization loaded;
    ASSERT_TRUE(loaded.Load(folder));
    EXPECT_EQ(loaded.m_OverLengthFileList, (std::map<CString, CString>{{u"k", u"new"}}));
}

TEST_F(CatalogFileTest, OlderEncodingsLoad) {
    // 8-bit strings and the 32-bit time form, as other writers may have left them.
    std::string body = I32(1) + "\x03" "C:\\" + I32(0) + I32(1) + I32(1) + I32(1) + "\x09" "DOCUMENTS" + I32(1) +
                       "\x03" "doc" + I32(1) + I32(1) + I32(0) + I32(0) + U64(0) + I32(0);
    WriteCatalog(Signature() + I32(1700000000) + body);
    CQXSerialization c;
    ASSERT_TRUE(c.Load(folder));
    ASSERT_EQ(c.m_arDrive.size(), 1u);
    EXPECT_EQ(c.m_arDrive[0].Drive, u"C:\\");
    ASSERT_EQ(c.m_arType.size(), 1u);
    EXPECT_EQ(c.m_arType[0].Extension, std::vector<CString>{u"doc"});
    EXPECT_TRUE(Errors().empty());
}

TEST_F(CatalogFileTest, WrongSignatureIsReportedAndLoadsNothing) {
    for (const char16_t* signature : {u"QXSerialization", u"QXSERIALIZATIO", u""}) {
        SCOPED_TRACE(CString(signature).ToUtf8());
        WriteCatalog(S(signature) + Time64(1) + FullBody());
        CQXSerialization c;
        EXPECT_TRUE(c.Load(folder));
        ExpectReset(c);
        EXPECT_EQ(Errors(), std::vector<long long>{MSG_ERROR_UNSERIALIZATION_FAILED});
    }
}

TEST_F(CatalogFileTest, MissingCatalogShowsTheFileErrorAndPostsNothing) {
    drives.Write(u"C:\\backup\\x", "");
    CQXSerialization c;
    EXPECT_FALSE(c.Load(folder));
    EXPECT_EQ(LastMessageBoxText(), SystemText(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(CatalogFileTest, EveryTruncationIsADamagedCatalog) {
    const std::string full = CatalogFile(FullBody());
    for (size_t length = 0; length < full.size(); ++length) {
        SCOPED_TRACE(length);
        WriteCatalog(full.substr(0, length));
        CQXSerialization c;
        EXPECT_FALSE(c.Load(folder));
        ExpectReset(c);
        EXPECT_EQ(Errors(), std::vector<long long>{MSG_ERROR_UNSERIALIZATION_FAILED});
    }
}

TEST_F(CatalogFileTest, LengthsAndCountsThatCannotFitAreDamage) {
    const std::string head = Signature() + Time64(1);
    const std::string cases[] = {
        head + I32(INT32_MIN),                                       // drive count 2^31
        head + I32(INT32_MAX),                                       // more drives than bytes
        head + I32(-1),                                              //
        head + I32(1) + "\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F" + std::string(64, 'x'),  // name longer than the file
        head + I32(0) + I32(1) + S(u"T") + I32(0x40000000),          // extension count
        head + I32(0) + I32(0) + I32(0) + I32(0x7FFFFFFF),           // big-file count
        head + EmptyBody().substr(0, 24) + I32(0x10000000) + "xx",   // over-length count
        head + I32(1) + S(u"C:\\") + I32(5) + I32(0x7FFFFFF0) + I32(1),  // image numbers
    };
    for (const std::string& bytes : cases) {
        WriteCatalog(bytes);
        CQXSerialization c;
        EXPECT_FALSE(c.Load(folder));
        ExpectReset(c);
        EXPECT_EQ(Errors(), std::vector<long long>{MSG_ERROR_UNSERIALIZATION_FAILED});
    }
}

TEST_F(CatalogFileTest, ADamagedCatalogWithoutAHostWindowPostsNothing) {
    g_pHostWnd = nullptr;
    WriteCatalog(CatalogFile(FullBody()).substr(0, 60));
    CQXSerialization c;
    EXPECT_FALSE(c.Load(folder));
    EXPECT_TRUE(host.Drain().empty());
}

}  // namespace
