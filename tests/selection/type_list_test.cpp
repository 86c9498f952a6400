// The type list loader on files written into a test drive.
#include <gtest/gtest.h>

#include <algorithm>

#include "services/dbglog.h"
#include "selection/type_list.h"
#include "testhost.h"

using namespace qxtest;

namespace {

class TypeListTest : public ::testing::Test {
protected:
    ~TypeListTest() override { CloseDbgLog(); }  // the stream must not outlive the test's folder
    // Writes C:\types.txt with the given bytes and loads it.
    bool Load(const std::string& content, std::vector<CString> categories = {}) {
        drives.Write(u"C:\\types.txt", content);
        return LoadTypeList(drives.Path(u"C:\\types.txt"), &categories, &types);
    }
    std::vector<CString> Extensions(size_t record) const { return types.at(record).Extension; }
    std::vector<std::string> LogMessages() {
        CloseDbgLog();
        return ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    }

    TestDrives drives;
    std::vector<TypeEntry> types;
};

using Patterns = std::vector<CString>;

TEST_F(TypeListTest, LoadsEveryCategoryInFileOrderWithUpperCasePatterns) {
    ASSERT_TRUE(Load("[Documents]\r\ndoc, docx, txt\r\n[Pictures]\r\njpg,jpeg,png\r\ntif*\r\n"));
    ASSERT_EQ(2u, types.size());
    EXPECT_EQ(CString(u"DOCUMENTS"), types[0].Category);
    EXPECT_EQ((Patterns{u"DOC", u"DOCX", u"TXT"}), Extensions(0));
    EXPECT_EQ(CString(u"PICTURES"), types[1].Category);
    EXPECT_EQ((Patterns{u"JPG", u"JPEG", u"PNG", u"TIF*"}), Extensions(1));
    EXPECT_TRUE(types[0].IndexofImage.empty());

    auto log = LogMessages();
    auto has = [&](const std::string& line) { return std::find(log.begin(), log.end(), line) != log.end(); };
    EXPECT_TRUE(has("You add type: DOCUMENTS, extension: DOCX for searching"));
    EXPECT_TRUE(has("You add type: PICTURES, extension: TIF* for searching"));
    EXPECT_TRUE(has("You add type: DOCUMENTS for searching"));
    EXPECT_TRUE(has("You add type: PICTURES for searching"));
}

TEST_F(TypeListTest, SelectsWantedCategoriesIgnoringCaseAndAppends) {
    types.push_back(TypeEntry{u"EARLIER", {u"X"}, {}});
    ASSERT_TRUE(Load("[Documents]\ndoc\n[Pictures]\njpg\n[Music]\nmp3\n", {u"pictures", u"MUSIC", u"nothing"}));
    ASSERT_EQ(3u, types.size());
    EXPECT_EQ(CString(u"EARLIER"), types[0].Category);
    EXPECT_EQ(CString(u"PICTURES"), types[1].Category);
    EXPECT_EQ(CString(u"MUSIC"), types[2].Category);
}

TEST_F(TypeListTest, HeaderRules) {
    // [[Music]] is MUSIC, inner spaces stay, a trailing space or a leading space makes no header.
    ASSERT_TRUE(Load("ignored before any header\n[[Music]]\nmp3\n[My Files]\nabc\n[Other] \nq\n [Video]\n"));
    ASSERT_EQ(2u, types.size());
    EXPECT_EQ(CString(u"MUSIC"), types[0].Category);
    EXPECT_EQ(CString(u"MY FILES"), types[1].Category);
    EXPECT_EQ((Patterns{u"ABC", u"[OTHER]", u"Q", u"[VIDEO]"}), Extensions(1));
}

TEST_F(TypeListTest, TokenizerRules) {
    ASSERT_TRUE(Load("[A]\n,,doc,,, xls* ,\n,,,\n   \n\n\tpdf\t , \n"));
    ASSERT_EQ(1u, types.size());
    // Runs of commas are one separator and a trailing comma adds nothing; a line of
    // commas or spaces gives one empty pattern; tabs are kept; a remainder of spaces
    // after the last comma is an empty pattern.
    EXPECT_EQ((Patterns{u"DOC", u"XLS*", u"", u"", u"\tPDF\t", u""}), Extensions(0));
}

TEST_F(TypeListTest, RepeatedHeadersAndEmptyCategories) {
    ASSERT_TRUE(Load("[A]\nx\n[Empty]\n\n[A]\ny\n"));
    ASSERT_EQ(2u, types.size());
    EXPECT_EQ((Patterns{u"X"}), Extensions(0));
    EXPECT_EQ((Patterns{u"Y"}), Extensions(1));
}

TEST_F(TypeListTest, HeadersOnlyOrUnwantedGiveNothing) {
    EXPECT_FALSE(Load("[A]\n[B]\n"));
    EXPECT_FALSE(Load("[A]\nx\n", {u"B"}));
    EXPECT_TRUE(types.empty());
}

// Editors often start a UTF-8 file with a byte-order mark: it is not part of
// the first header, whose category would otherwise be lost without a word.
// Elsewhere those bytes are text like any other.
TEST_F(TypeListTest, AUtf8ByteOrderMarkDoesNotHideTheFirstHeader) {
    EXPECT_TRUE(Load("\xEF\xBB\xBF[A]\r\nx\r\n[B]\r\ny\r\n"));
    ASSERT_EQ(2u, types.size());
    EXPECT_EQ(CString(u"A"), types[0].Category);
    EXPECT_EQ(Patterns{u"X"}, Extensions(0));
    types.clear();
    EXPECT_FALSE(Load("\xEF\xBB[A]\nx\n"));  // a cut mark is part of the line
    EXPECT_FALSE(Load("\n\xEF\xBB\xBF[A]\nx\n"));
}

TEST_F(TypeListTest, VeryLongLinesAreReadWhole) {
    std::string line;
    for (int i = 0; i < 3000; ++i) line += "e" + std::to_string(i) + ",";
    ASSERT_TRUE(Load("[Long]\n" + line + "last\n"));
    ASSERT_EQ(3001u, Extensions(0).size());
    EXPECT_EQ(CString(u"E2999"), Extensions(0)[2999]);
    EXPECT_EQ(CString(u"LAST"), Extensions(0).back());
}

TEST_F(TypeListTest, MissingFileIsReportedWithItsCause) {
    HostWindow host;
    g_pHostWnd = host.handle();
    std::vector<CString> none;
    EXPECT_FALSE(LoadTypeList(drives.Path(u"C:\\missing.txt"), &none, &types));
    EXPECT_FALSE(LoadTypeList(drives.Path(u"C:\\no\\such\\folder\\types.txt"), &none, &types));
    g_pHostWnd = nullptr;
    EXPECT_TRUE(types.empty());
    EXPECT_EQ((std::vector<long long>{MSG_ERROR_LOAD_TYPE_LIST_FAILED, MSG_ERROR_LOAD_TYPE_LIST_FAILED}),
              Codes(host.Drain(), host.errorStr));
    auto log = LogMessages();
    const std::string failed = "MSG_ERROR_LOAD_TYPE_LIST_FAILED - Can't open type list file ";
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(),
                                   failed + drives.Path(u"C:\\missing.txt").ToUtf8() + ", error = 2"));
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(),
                                   failed + drives.Path(u"C:\\no\\such\\folder\\types.txt").ToUtf8() + ", error = 3"));
}

TEST(SampleTypeList, HasTheMainCategoriesAndAPrefixPattern) {
    TestDrives drives;
    std::vector<CString> all;
    std::vector<TypeEntry> types;
    drives.Write(u"C:\\types.txt", ReadHostFile(TestDataFile("types.txt")));
    ASSERT_TRUE(LoadTypeList(drives.Path(u"C:\\types.txt"), &all, &types));
    std::vector<CString> names;
    bool prefix = false;
    for (const auto& t : types) {
        names.push_back(t.Category);
        for (const auto& p : t.Extension) prefix |= p.GetLength() > 1 && p[p.GetLength() - 1] == u'*';
    }
    EXPECT_EQ((std::vector<CString>{u"DOCUMENTS", u"PICTURES", u"MUSIC", u"VIDEO"}), names);
    EXPECT_TRUE(prefix);
    CloseDbgLog();
}

}  // namespace
