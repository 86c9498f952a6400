// The folder walk on trees built in a test drive: order, matching, progress,
// links, probe mode, cancellation, long paths.
#include <algorithm>
#include <filesystem>

#include "folder_scan_fixture.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

// What the walk should produce: a plain recursive listing through the same
// platform calls, children visited where they are listed.
void ReferenceWalk(const CString& folder, const Paths& patterns, Paths& out) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(CString(u"\\\\?\\") + folder + u"\\*.*", &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        CString name = data.cFileName;
        if (name == u"." || name == u".." || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        CString path = folder + u"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ReferenceWalk(path, patterns, out);
        } else {
            int dot = name.ReverseFind(u'.');
            CString ext = dot >= 0 ? name.Mid(dot + 1) : CString();
            if (MatchExtension(ext, &patterns)) out.push_back(path);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

TEST_F(FolderScanTest, CollectsMatchingFilesWithSizesAndProgress) {
    drives.Write(u"C:\\report.doc", "12345");
    drives.Write(u"C:\\Data\\budget.xlsx", "1234567");
    drives.Write(u"C:\\Data\\notes.txt", "123");
    drives.Write(u"C:\\Data\\README", "1");
    ASSERT_TRUE(Collect(drives.Path(u"C:\\"), {u"DOC", u"XLS*"}));
    Paths sorted = result;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ((Paths{drives.Path(u"C:\\Data\\budget.xlsx"), drives.Path(u"C:\\report.doc")}), sorted);
    EXPECT_EQ(12u, total);
    EXPECT_EQ(16.0, progress);

    auto posted = host.Drain();
    Paths announced;
    int percents = 0;
    for (const auto& p : posted) {
        if (p.message == host.progressStr) announced.push_back(p.text);
        if (p.message == host.progressInt) {
            ++percents;
            EXPECT_EQ(0, p.wParam);  // no used size known
            EXPECT_EQ(PHASE_SCAN, p.lParam);
        }
    }
    EXPECT_EQ(4, percents);
    EXPECT_EQ(result, announced);
}

TEST_F(FolderScanTest, KeepsDepthFirstListingOrderAndTrailingBackslashes) {
    for (const char* f : {"a\\1.doc", "a\\b\\2.doc", "a\\b\\c\\3.doc", "a\\4.doc", "z.doc", "m\\5.doc", "m\\n\\6.doc",
                          "a\\b\\7.doc", "8.doc"})
        drives.Write(CString(u"C:\\top\\") + CString::FromUtf8(f), "x");
    Paths expected;
    ReferenceWalk(drives.Path(u"C:\\top"), {u"DOC"}, expected);
    ASSERT_EQ(9u, expected.size());
    ASSERT_TRUE(Collect(drives.Path(u"C:\\top\\\\"), {u"DOC"}));
    EXPECT_EQ(expected, result);
}

TEST_F(FolderScanTest, ExtensionRules) {
    drives.Write(u"C:\\f\\report", "x");
    drives.Write(u"C:\\f\\archive.tar.gz", "x");
    drives.Write(u"C:\\f\\photo.jpg", "x");
    drives.Write(u"C:\\f\\photo.jpeg", "x");
    drives.Write(u"C:\\f\\photo.png", "x");
    drives.Write(u"C:\\f\\trailing.", "x");
    ASSERT_TRUE(Collect(drives.Path(u"C:\\f"), {u"GZ", u"JP*"}));
    std::sort(result.begin(), result.end());
    EXPECT_EQ((Paths{drives.Path(u"C:\\f\\archive.tar.gz"), drives.Path(u"C:\\f\\photo.jpeg"),
                      drives.Path(u"C:\\f\\photo.jpg")}),
              result);
    result.clear();
    ASSERT_TRUE(Collect(drives.Path(u"C:\\f"), {u"*"}));
    EXPECT_EQ(4u, result.size());  // neither "report" nor "trailing." has an extension
}

TEST_F(FolderScanTest, PercentOfUsedBytesIsCappedAt100) {
    for (int i = 0; i < 5; ++i) drives.Write(CString(u"C:\\p\\") + CString(WCHAR(u'a' + i)) + u".bin", std::string(250, 'x'));
    ASSERT_TRUE(Collect(drives.Path(u"C:\\p"), {u"BIN"}, 1000));
    std::vector<long long> percents;
    for (const auto& p : host.Drain())
        if (p.message == host.progressInt) percents.push_back(p.wParam);
    EXPECT_EQ((std::vector<long long>{25, 50, 75, 100, 100}), percents);
}

TEST_F(FolderScanTest, LinksAreNeverFollowed) {
    drives.Write(u"C:\\real\\inside.doc", "x");
    drives.Write(u"C:\\scan\\own.doc", "x");
    if (!MakeLink(drives.Host(u"C:\\real"), drives.Host(u"C:\\scan\\junction"), true)) GTEST_SKIP() << kNoLinks;
    if (!MakeLink(drives.Host(u"C:\\real\\inside.doc"), drives.Host(u"C:\\scan\\link.doc"), false))
        GTEST_SKIP() << kNoLinks;
    ASSERT_TRUE(Collect(drives.Path(u"C:\\scan"), {u"DOC"}));
    EXPECT_EQ((Paths{drives.Path(u"C:\\scan\\own.doc")}), result);
}

// Only an empty root lists nothing; a missing one fails the walk.
TEST_F(FolderScanTest, AMissingFolderFailsTheWalk) {
    EXPECT_FALSE(Collect(drives.Path(u"C:\\nowhere"), {u"DOC"}));
    EXPECT_TRUE(result.empty());
    EXPECT_FALSE(Collect(u"Q:\\", {u"DOC"}));
}

TEST_F(FolderScanTest, ProbeStopsAtTheFirstMatchAndPostsNothing) {
    drives.Write(u"C:\\probe\\a\\b\\c\\deep.jpg", "x");
    drives.Write(u"C:\\probe\\a\\b\\c\\other.jpg", "x");
    drives.Write(u"C:\\probe\\a\\note.txt", "x");
    EXPECT_TRUE(Probe(drives.Path(u"C:\\probe"), {u"JPG"}));
    ASSERT_EQ(1u, result.size());
    EXPECT_EQ(0, result[0].Find(drives.Path(u"C:\\probe\\a\\b\\c\\")));
    result.clear();
    EXPECT_TRUE(Probe(drives.Path(u"C:\\probe"), {u"PNG"}));
    EXPECT_TRUE(result.empty());
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(FolderScanTest, CancellationEndsTheLevelThatSawIt) {
    for (int i = 0; i < 20; ++i) drives.Write(CString(u"C:\\c\\f") + CString(WCHAR(u'a' + i)) + u".doc", "x");
    g_nOperation = OP_AUTO_SELECTION;
    ContinueCounter::Reset();
    g_pfnContinue = ContinueCounter::Continue;
    ASSERT_TRUE(Collect(drives.Path(u"C:\\c"), {u"DOC"}));
    EXPECT_EQ(22, ContinueCounter::calls);  // one poll per entry, "." and ".." included
    result.clear();
    ContinueCounter::Reset(6);
    EXPECT_FALSE(Collect(drives.Path(u"C:\\c"), {u"DOC"}));
    EXPECT_EQ(6, ContinueCounter::calls);
    EXPECT_EQ(ContinueCounter::operations, std::set<int>{OP_AUTO_SELECTION});
    EXPECT_GE(result.size(), 3u);
    EXPECT_LE(result.size(), 5u);
}

// The names a folder lists, in listing order.
std::vector<CString> RawListing(const CString& folder) {
    std::vector<CString> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(folder + u"\\*.*", &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

TEST_F(FolderScanTest, CancellationInASubFolderStopsTheLevelsAbove) {
    for (int i = 0; i < 20; ++i) drives.Write(CString(u"C:\\c\\sub\\f") + CString(WCHAR(u'a' + i)) + u".doc", "x");
    for (int i = 0; i < 20; ++i) drives.Write(CString(u"C:\\c\\g") + CString(WCHAR(u'a' + i)) + u".doc", "x");
    const auto top = RawListing(drives.Path(u"C:\\c"));
    const size_t subAt = std::find(top.begin(), top.end(), CString(u"sub")) - top.begin();
    ASSERT_LT(subAt, top.size());
    const bool subIsLast = subAt + 1 == top.size();

    // Cancel at the fifth entry of the sub-folder: the top level stops at its next entry, if any.
    g_nOperation = OP_AUTO_SELECTION;
    ContinueCounter::Reset(static_cast<int>(subAt) + 1 + 5);
    g_pfnContinue = ContinueCounter::Continue;
    EXPECT_EQ(subIsLast, Collect(drives.Path(u"C:\\c"), {u"DOC"}));
    EXPECT_EQ(ContinueCounter::cancelAt + (subIsLast ? 0 : 1), ContinueCounter::calls);
    EXPECT_EQ(ContinueCounter::operations, std::set<int>{OP_AUTO_SELECTION});
    Paths expected;
    ReferenceWalk(drives.Path(u"C:\\c"), {u"DOC"}, expected);
    ASSERT_LT(result.size(), expected.size());
    EXPECT_EQ(Paths(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(result.size())), result);
}

TEST_F(FolderScanTest, FoldersBeyond260CharactersAreListed) {
    CString folder = drives.Path(u"C:");
    for (int i = 0; i < 4; ++i) folder += CString(u"\\") + CString(u'L', 100);
    drives.Write(folder + u"\\long.doc", "abc");
    ASSERT_TRUE(Collect(drives.Path(u"C:\\"), {u"DOC"}));
    EXPECT_EQ((Paths{folder + u"\\long.doc"}), result);
    EXPECT_EQ(3u, total);
}

}  // namespace
