// Hand-over of the last scan result: the capacity rule and the second call.
#include <gtest/gtest.h>

#include <algorithm>

#include "services/state.h"
#include "testhost.h"

using namespace qxtest;

namespace {

const ULONGLONG kTotal = 0x100000005ULL;  // more than 4 GiB: the high word counts

class FileArrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_arScanResult = {u"C:\\a.doc", u"C:\\b.doc", u"D:\\c.doc"};
        g_ullScanTotalBytes = kTotal;
    }
    void TearDown() override {
        g_arScanResult.clear();
        g_ullScanTotalBytes = 0;
    }
};

TEST_F(FileArrayTest, TooSmallCapacityKeepsTheResult) {
    std::vector<CString> list = {u"host's own"};
    list.shrink_to_fit();
    list.reserve(2);
    ULONGLONG total = 7;
    EXPECT_EQ(GetFileArrayByPredefinedType(&list, &total), 1);
    EXPECT_EQ(list, std::vector<CString>{u"host's own"});
    EXPECT_EQ(total, 7u);
    EXPECT_EQ(g_arScanResult.size(), 3u);

    list.reserve(3);
    EXPECT_EQ(GetFileArrayByPredefinedType(&list, &total), 0);
    EXPECT_EQ(list, (std::vector<CString>{u"C:\\a.doc", u"C:\\b.doc", u"D:\\c.doc"}));
    EXPECT_EQ(total, kTotal);
    EXPECT_TRUE(g_arScanResult.empty());
}

TEST_F(FileArrayTest, SecondCallHandsOverAnEmptyListWithTheSameTotal) {
    std::vector<CString> list;
    list.reserve(10);
    ULONGLONG total = 0;
    ASSERT_EQ(GetFileArrayByPredefinedType(&list, &total), 0);

    std::vector<CString> again = {u"stale"};
    ULONGLONG totalAgain = 0;
    EXPECT_EQ(GetFileArrayByPredefinedType(&again, &totalAgain), 0);
    EXPECT_TRUE(again.empty());
    EXPECT_EQ(totalAgain, kTotal);

    std::vector<CString> noCapacity;
    EXPECT_EQ(GetFileArrayByPredefinedType(&noCapacity, &totalAgain), 0);
}

TEST_F(FileArrayTest, MissingOutputsAreRefused) {
    std::vector<CString> list;
    list.reserve(3);
    ULONGLONG total = 0;
    EXPECT_EQ(GetFileArrayByPredefinedType(nullptr, &total), 1);
    EXPECT_EQ(GetFileArrayByPredefinedType(&list, nullptr), 1);
    EXPECT_EQ(g_arScanResult.size(), 3u);
}

// Through the loaded module, as a host calls it after a scan.
TEST(FileArrayEndToEnd, ScanThenHandOver) {
    Module module;
    if (!module.ScanFileArraySizeByPredefinedType) GTEST_SKIP() << "the scan export is not built yet";
    TestDrives drives;
    HostWindow host;
    WriteHostFile(drives.WorkDir() + "/types.txt", "[Documents]\r\ndoc\r\n");
    drives.Write(u"C:\\docs\\a.doc", std::string(10, 'a'));
    drives.Write(u"C:\\docs\\sub\\b.doc", std::string(20, 'b'));
    drives.Write(u"C:\\docs\\c.txt", "c");

    std::vector<CString> categories = {u"documents"};
    ULONGLONG count = 0;
    ASSERT_EQ(module.ScanFileArraySizeByPredefinedType(host.handle(), drives.Path(u"C:\\docs"), u"types.txt", &categories, &count,
                                                       nullptr),
              0);
    ASSERT_EQ(count, 2u);

    std::vector<CString> list;
    list.reserve(1);
    ULONGLONG total = 0;
    EXPECT_EQ(module.GetFileArrayByPredefinedType(&list, &total), 1);
    EXPECT_TRUE(list.empty());

    list.reserve(2);
    EXPECT_EQ(module.GetFileArrayByPredefinedType(&list, &total), 0);
    ASSERT_EQ(list.size(), 2u);
    std::vector<CString> names;
    for (CString path : list) names.push_back(path.MakeLower());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<CString>{drives.Path(u"C:\\docs\\a.doc").MakeLower(),
                                           drives.Path(u"C:\\docs\\sub\\b.doc").MakeLower()}));
    EXPECT_EQ(total, 30u);

    std::vector<CString> again;
    ULONGLONG totalAgain = 0;
    EXPECT_EQ(module.GetFileArrayByPredefinedType(&again, &totalAgain), 0);
    EXPECT_TRUE(again.empty());
    EXPECT_EQ(totalAgain, 30u);
}

}  // namespace
