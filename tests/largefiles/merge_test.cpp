// Rebuilding big files below a restore target, and removing pieces.
#include <filesystem>

#include "merge_fixture.h"

namespace fs = std::filesystem;
using namespace bigfiles;

namespace {

TEST_F(MergeTest, PiecesAreJoinedInOrderThenDeleted) {
    AddNode(u"C:\\Media\\film.avi", {"abcd", "efgh", ""});
    catalog.m_bigFileTotalSize = 16;
    EXPECT_TRUE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1));
    EXPECT_EQ("abcdefgh", Read(Restored(u"Media\\film.avi")));
    for (const char* piece : {"000", "001", "002"})
        EXPECT_FALSE(Exists(Restored(CString(u"Media\\film.avi.") + CString::FromUtf8(piece))));
    auto posted = host.Drain();
    EXPECT_TRUE(qxtest::Codes(posted, host.errorStr).empty());
    EXPECT_EQ((std::vector<long long>{25, 50, 50}), qxtest::Codes(posted, host.progressInt));
    for (const auto& p : posted) {
        if (p.message == host.progressInt) {
            EXPECT_EQ(PHASE_MERGE, p.lParam);
        }
    }
}

TEST_F(MergeTest, TargetBackslashAndDriveLetterCaseDoNotMatter) {
    AddNode(u"c:\\Media\\lower.avi", {"ab", "c"});
    AddNode(u"C:\\Media\\upper.avi", {"de", "f"});
    EXPECT_TRUE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore\\"), u"C:\\", u"VIDEO", 1));
    EXPECT_EQ("abc", Read(Restored(u"Media\\lower.avi")));
    EXPECT_EQ("def", Read(Restored(u"Media\\upper.avi")));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MergeTest, OnlyNodesOfTheAppliedImageAreMerged) {
    AddNode(u"C:\\Media\\second.avi", {"ab", "c"}, {2});
    EXPECT_TRUE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1));
    EXPECT_FALSE(Exists(Restored(u"Media\\second.avi")));
    EXPECT_TRUE(Exists(Restored(u"Media\\second.avi.000")));
    EXPECT_TRUE(host.Drain().empty());

    EXPECT_TRUE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 2));
    EXPECT_EQ("abc", Read(Restored(u"Media\\second.avi")));
}

// The earlier system stored big-file nodes without image numbers: such a node
// is merged after the image of its drive and category, and only then.
TEST_F(MergeTest, ANodeWithoutImageNumbersGoesWithTheImageOfItsDriveAndCategory) {
    AddNode(u"C:\\Media\\old.avi", {"ab", "c"}, {}).Category = u"Video";
    AddNode(u"D:\\Media\\other.avi", {"de"}, {}).Category = u"VIDEO";
    EXPECT_TRUE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"DOCUMENTS", 1));
    EXPECT_FALSE(Exists(Restored(u"Media\\old.avi")));
    EXPECT_TRUE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 3));
    EXPECT_EQ("abc", Read(Restored(u"Media\\old.avi")));
    EXPECT_FALSE(Exists(Restored(u"Media\\other.avi")));
    EXPECT_TRUE(Exists(Restored(u"Media\\other.avi.000")));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MergeTest, StoredNodesKeepTheirOriginalPaths) {
    AddNode(u"C:\\Media\\film.avi", {"ab", "c"}, {1, 1});
    RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1);
    EXPECT_EQ(CString(u"C:\\Media\\film.avi"), catalog.m_arBigFile[0].suszPath);
    EXPECT_EQ(CString(u"C:\\Media\\film.avi.000"), catalog.m_arBigFile[0].splitPathArray[0]);
    EXPECT_EQ("abc", Read(Restored(u"Media\\film.avi")));
    EXPECT_TRUE(Errors().empty());
}

// The rebuild from the remaining pieces is shorter than the stored size: the
// merge is reported as failed, nothing stands under the file's name and the
// pieces found stay.
TEST_F(MergeTest, MissingFirstPieceIsAFailureThatKeepsThePieces) {
    AddNode(u"C:\\Media\\film.avi", {nullptr, "efgh", ""});
    catalog.m_arBigFile[0].size = 8;
    EXPECT_FALSE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1));
    EXPECT_FALSE(Exists(Restored(u"Media\\film.avi")));
    EXPECT_EQ((std::vector<std::string>{"film.avi.001", "film.avi.002"}), Names(Restored(u"Media")));
    EXPECT_EQ("efgh", Read(Restored(u"Media\\film.avi.001")));
    EXPECT_TRUE(Exists(Restored(u"Media\\film.avi.002")));
    EXPECT_EQ(std::vector<long long>{MSG_ERROR_BIGFILES_MERGE_FAILED}, Errors());
}

TEST_F(MergeTest, MissingEmptyLastPieceStillGivesTheWholeFile) {
    AddNode(u"C:\\Media\\film.avi", {"abcd", nullptr});
    RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1);
    EXPECT_EQ("abcd", Read(Restored(u"Media\\film.avi")));
    EXPECT_FALSE(Exists(Restored(u"Media\\film.avi.000")));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MergeTest, NoPieceBelowTheTargetLeavesAnExistingFileAlone) {
    AddNode(u"C:\\Media\\film.avi", {nullptr, nullptr});
    drives.Write(Restored(u"Media\\film.avi"), "already here");
    EXPECT_TRUE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1));
    EXPECT_EQ("already here", Read(Restored(u"Media\\film.avi")));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(MergeTest, AnExistingReadOnlyFileIsReplaced) {
    AddNode(u"C:\\Media\\film.avi", {"new", ""});
    drives.Write(Restored(u"Media\\film.avi"), "old and much longer");
    ASSERT_TRUE(SetFileAttributesW(Restored(u"Media\\film.avi"), FILE_ATTRIBUTE_READONLY));
    RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1);
    EXPECT_EQ("new", Read(Restored(u"Media\\film.avi")));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MergeTest, PathsThatWouldLeaveTheTargetAreRefused) {
    const CString escapes[] = {u"C:\\..\\escape.bin", u"C:\\Media\\..\\..\\escape.bin", u"D:\\escape.bin",
                               u"\\escape.bin", u"\\\\server\\share\\escape.bin", u"C:\\Media\\. \\x.bin"};
    for (const CString& path : escapes) {
        FileNode node;
        node.suszPath = path;
        node.size = 2;
        node.IndexofImage = {1};
        node.splitPathArray = {path + u".000"};
        catalog.m_arBigFile.push_back(node);
    }
    // A node whose own path is fine but one of whose pieces points elsewhere.
    AddNode(u"C:\\Media\\fine.avi", {"ab"});
    catalog.m_arBigFile.back().splitPathArray.push_back(u"C:\\..\\..\\D\\escape.bin.000");
    // What an unchecked relocation below D:\Restore\ would reach.
    drives.Write(u"D:\\escape.bin.000", "xy");

    EXPECT_FALSE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1));
    EXPECT_FALSE(Exists(u"D:\\escape.bin"));
    EXPECT_EQ("xy", Read(u"D:\\escape.bin.000"));
    EXPECT_FALSE(Exists(Restored(u"Media\\fine.avi")));
    EXPECT_EQ("ab", Read(Restored(u"Media\\fine.avi.000")));
    EXPECT_EQ(std::vector<long long>(7, MSG_ERROR_BIGFILES_MERGE_FAILED), Errors());
}

TEST_F(MergeTest, AnOutputThatCannotBeCreatedKeepsThePieces) {
    AddNode(u"C:\\Media\\film.avi", {"ab", "c"});
    fs::create_directories(Host(Restored(u"Media\\film.avi")));
    RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1);
    EXPECT_EQ("ab", Read(Restored(u"Media\\film.avi.000")));
    EXPECT_EQ("c", Read(Restored(u"Media\\film.avi.001")));
    EXPECT_EQ(std::vector<long long>{MSG_ERROR_BIGFILES_MERGE_FAILED}, Errors());
}

// The cut gave every piece the original's time and attributes; the rebuilt file gets them back.
TEST_F(MergeTest, TheRebuiltFileGetsThePiecesTimeAndAttributes) {
    AddNode(u"C:\\Media\\film.avi", {"ab", "c"});
    // Whole seconds: the file times keep 100-ns ticks.
    const fs::file_time_type old =
        std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now() - std::chrono::hours(24 * 4000));
    for (const CString& piece : {Restored(u"Media\\film.avi.000"), Restored(u"Media\\film.avi.001")}) {
        fs::last_write_time(Host(piece), old);
        ASSERT_TRUE(SetFileAttributesW(piece, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    }
    // As the system reports them (Wine adds the archive attribute to every file).
    const DWORD attributes = GetFileAttributesW(Restored(u"Media\\film.avi.000"));
    ASSERT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1));
    const CString rebuilt = Restored(u"Media\\film.avi");
    EXPECT_EQ("abc", Read(rebuilt));
    EXPECT_EQ(attributes, GetFileAttributesW(rebuilt));
    EXPECT_EQ(old, fs::last_write_time(Host(rebuilt)));
    EXPECT_EQ(std::vector<std::string>{"film.avi"}, Names(Restored(u"Media")));
}

// A folder link on the way (as an applied image may hold one) refuses the node:
// nothing behind the link is read, written or deleted.
TEST_F(MergeTest, ALinkOnTheWayRefusesTheNode) {
    drives.Write(u"D:\\elsewhere\\film.avi.000", "evil");
    drives.Write(u"D:\\elsewhere\\film.avi", "the user's own");
    fs::create_directories(Host(u"D:\\Restore"));
    if (!qxtest::MakeLink("../elsewhere", Host(u"D:\\Restore\\Media"), true)) GTEST_SKIP() << qxtest::kNoLinks;
    AddNode(u"C:\\Media\\film.avi", {nullptr});
    AddNode(u"C:\\Fine\\fine.avi", {"ok"});

    EXPECT_FALSE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1));
    EXPECT_EQ("evil", Read(u"D:\\elsewhere\\film.avi.000"));
    EXPECT_EQ("the user's own", Read(u"D:\\elsewhere\\film.avi"));
    EXPECT_EQ("ok", Read(Restored(u"Fine\\fine.avi")));
    EXPECT_EQ(std::vector<long long>{MSG_ERROR_BIGFILES_MERGE_FAILED}, Errors());
}

// A piece is the file of exactly its name: one that exists only in another spelling is not taken for it.
TEST_F(MergeTest, APieceInAnotherSpellingIsAnotherFile) {
    drives.Write(u"D:\\Restore\\Media\\FILM.AVI.000", "other");
    if (Exists(Restored(u"Media\\film.avi.000"))) GTEST_SKIP() << qxtest::kOneCase;
    AddNode(u"C:\\Media\\film.avi", {nullptr});
    EXPECT_TRUE(RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1));
    EXPECT_EQ(std::vector<std::string>{"FILM.AVI.000"}, Names(Restored(u"Media")));
    EXPECT_EQ("other", Read(Restored(u"Media\\FILM.AVI.000")));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MergeTest, NoProgressWithoutATotal) {
    AddNode(u"C:\\Media\\film.avi", {"ab", "c"});
    catalog.m_bigFileTotalSize = 0;
    RestoreBigFiles(catalog, drives.Path(u"D:\\Restore"), u"C:\\", u"VIDEO", 1);
    EXPECT_EQ("abc", Read(Restored(u"Media\\film.avi")));
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(MergeTest, MergeBigFileWritesAtTheNodesPath) {
    EXPECT_FALSE(MergeBigFile(catalog, nullptr));
    FileNode empty;
    EXPECT_FALSE(MergeBigFile(catalog, &empty));

    drives.Write(u"C:\\x\\a.bin.000", "12");
    drives.Write(u"C:\\x\\a.bin.001", "3");
    FileNode node;
    node.suszPath = drives.Path(u"C:\\x\\a.bin");
    node.size = 3;
    node.splitPathArray = {drives.Path(u"C:\\x\\a.bin.000"), drives.Path(u"C:\\x\\a.bin.001")};
    EXPECT_TRUE(MergeBigFile(catalog, &node));
    EXPECT_EQ("123", Read(u"C:\\x\\a.bin"));
    EXPECT_TRUE(Exists(u"C:\\x\\a.bin.000"));  // MergeBigFile alone deletes nothing
}

TEST_F(MergeTest, APieceNamedLikeTheOutputIsNeverTruncated) {
    drives.Write(u"C:\\x\\a.bin", "12");
    FileNode node;
    node.suszPath = drives.Path(u"C:\\x\\a.bin");
    node.size = 2;
    node.splitPathArray = {drives.Path(u"C:\\x\\a.bin")};
    EXPECT_TRUE(MergeBigFile(catalog, &node));
    EXPECT_EQ("12", Read(u"C:\\x\\a.bin"));
    EXPECT_EQ(std::vector<long long>{MSG_ERROR_BIGFILES_MERGE_FAILED}, Errors());
}

TEST_F(MergeTest, DeletingPieces) {
    DeleteAllSplitFiles(catalog);
    EXPECT_FALSE(DeleteSplitFiles(nullptr));
    FileNode empty;
    EXPECT_FALSE(DeleteSplitFiles(&empty));

    drives.Write(u"C:\\a.bin", "abc");
    drives.Write(u"C:\\a.bin.000", "ab");
    drives.Write(u"C:\\a.bin.001", "c");
    drives.Write(u"C:\\b.bin.000", "d");
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\a.bin.001"), FILE_ATTRIBUTE_READONLY));
    FileNode a, b;
    a.suszPath = drives.Path(u"C:\\a.bin");
    a.splitPathArray = {drives.Path(u"C:\\a.bin.000"), drives.Path(u"C:\\a.bin.001"), drives.Path(u"C:\\a.bin.002")};
    b.suszPath = drives.Path(u"C:\\b.bin");
    b.splitPathArray = {drives.Path(u"C:\\b.bin.000")};
    catalog.m_arBigFile = {a, b};
    DeleteAllSplitFiles(catalog);
    EXPECT_FALSE(Exists(u"C:\\a.bin.000"));
    EXPECT_FALSE(Exists(u"C:\\a.bin.001"));
    EXPECT_FALSE(Exists(u"C:\\b.bin.000"));
    EXPECT_EQ("abc", Read(u"C:\\a.bin"));
    EXPECT_EQ(3u, catalog.m_arBigFile[0].splitPathArray.size());
}

}  // namespace
