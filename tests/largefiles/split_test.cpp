// Cutting big files into numbered pieces.
#include <filesystem>

#include "big_file_fixture.h"

namespace fs = std::filesystem;
using namespace bigfiles;

namespace {

class SplitTest : public BigFileTest {
protected:
    FileNode Cut(const std::string& content, ULONGLONG pieceSize) {
        drives.Write(u"C:\\Media\\film.avi", content);
        FileNode node;
        node.suszPath = drives.Path(u"C:\\Media\\film.avi");
        node.size = content.size();
        SplitBigFile(pieceSize, node);
        return node;
    }
    CString Piece(int n) const {
        CString path;
        path.Format(u"C:\\Media\\film.avi.%03d", n);
        return drives.Path(path);
    }
    void ExpectPieces(const FileNode& node, const std::vector<std::string>& contents) {
        ASSERT_EQ(contents.size(), node.splitPathArray.size());
        for (size_t i = 0; i < contents.size(); ++i) {
            EXPECT_EQ(Piece(static_cast<int>(i)), node.splitPathArray[i]);
            EXPECT_TRUE(contents[i] == Read(node.splitPathArray[i])) << "piece " << i;
        }
        EXPECT_FALSE(Exists(Piece(static_cast<int>(contents.size()))));
    }
};

// So that the merge can give the rebuilt file the original's time and attributes.
TEST_F(SplitTest, PiecesCarryTheOriginalsTimeAndAttributes) {
    drives.Write(u"C:\\Media\\film.avi", Pattern(5));
    // Whole seconds: the file times keep 100-ns ticks.
    const fs::file_time_type old =
        std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now() - std::chrono::hours(24 * 4000));
    fs::last_write_time(Host(u"C:\\Media\\film.avi"), old);
    ASSERT_TRUE(SetFileAttributesW(drives.Path(u"C:\\Media\\film.avi"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    FileNode node;
    node.suszPath = drives.Path(u"C:\\Media\\film.avi");
    node.size = 5;
    SplitBigFile(2, node);
    ASSERT_EQ(3u, node.splitPathArray.size());
    for (const CString& piece : node.splitPathArray) {
        EXPECT_EQ(old, fs::last_write_time(Host(piece))) << piece.ToUtf8();
        EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE), GetFileAttributesW(piece));
    }
    EXPECT_TRUE(Errors().empty());
}

TEST_F(SplitTest, FullPiecesThenTheRest) {
    std::string data = Pattern(9);
    FileNode node = Cut(data, 4);
    ExpectPieces(node, {data.substr(0, 4), data.substr(4, 4), data.substr(8)});
    EXPECT_EQ(data, Read(drives.Path(u"C:\\Media\\film.avi")));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(SplitTest, MultipleOfThePieceSizeEndsInAnEmptyPiece) {
    std::string data = Pattern(12);
    ExpectPieces(Cut(data, 4), {data.substr(0, 4), data.substr(4, 4), data.substr(8, 4), ""});
}

TEST_F(SplitTest, PieceSizeOne) { ExpectPieces(Cut("ab", 1), {"a", "b", ""}); }

TEST_F(SplitTest, PiecesLargerThanTheCopyBufferKeepTheirBytes) {
    std::string data = Pattern((9u << 20) + 5, 1);  // two pieces of 4.5 MiB and 5 bytes
    ULONGLONG piece = (9u << 20) / 2;
    ExpectPieces(Cut(data, piece), {data.substr(0, piece), data.substr(piece, piece), data.substr(2 * piece)});
}

TEST_F(SplitTest, AFileAlreadyNamedLikeAPieceIsNeverOverwritten) {
    drives.Write(Piece(1), Pattern(100, 2));
    FileNode node = Cut(Pattern(10), 4);
    ASSERT_EQ(1u, node.splitPathArray.size());
    EXPECT_EQ(Piece(0), node.splitPathArray[0]);
    EXPECT_EQ(Pattern(100, 2), Read(Piece(1)));
    EXPECT_FALSE(Exists(Piece(2)));
    EXPECT_EQ(std::vector<long long>{MSG_ERROR_BIGFILES_SPLIT_FAILED}, Errors());
}

TEST_F(SplitTest, NewPiecesAreAppendedAfterExistingEntries) {
    drives.Write(u"C:\\Media\\film.avi", "abc");
    FileNode node;
    node.suszPath = drives.Path(u"C:\\Media\\film.avi");
    node.splitPathArray.push_back(drives.Path(u"C:\\earlier"));
    SplitBigFile(2, node);
    ASSERT_EQ(3u, node.splitPathArray.size());
    EXPECT_EQ(CString(drives.Path(u"C:\\earlier")), node.splitPathArray[0]);
    EXPECT_EQ(Piece(0), node.splitPathArray[1]);
}

TEST_F(SplitTest, NothingHappensWithoutAFile) {
    FileNode node;
    node.suszPath = drives.Path(u"C:\\Media\\missing.avi");
    SplitBigFile(4, node);
    fs::create_directories(Host(u"C:\\Media\\folder.avi"));
    node.suszPath = drives.Path(u"C:\\Media\\folder.avi");
    SplitBigFile(4, node);
    drives.Write(u"C:\\Media\\film.avi", "abc");
    node.suszPath = drives.Path(u"C:\\Media\\film.avi");
    SplitBigFile(0, node);
    EXPECT_TRUE(node.splitPathArray.empty());
    EXPECT_FALSE(Exists(Piece(0)));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(SplitTest, OverAThousandPiecesGetFourDigits) {
    std::string data = Pattern(1001);
    FileNode node = Cut(data, 1);
    ASSERT_EQ(1002u, node.splitPathArray.size());
    EXPECT_EQ(CString(drives.Path(u"C:\\Media\\film.avi.999")), node.splitPathArray[999]);
    EXPECT_EQ(CString(drives.Path(u"C:\\Media\\film.avi.1000")), node.splitPathArray[1000]);
    EXPECT_EQ(CString(drives.Path(u"C:\\Media\\film.avi.1001")), node.splitPathArray[1001]);
    std::string joined;
    for (const CString& piece : node.splitPathArray) joined += Read(piece);
    EXPECT_TRUE(data == joined);
    EXPECT_EQ("", Read(node.splitPathArray[1001]));
}

TEST_F(SplitTest, APieceThatCannotBeCreatedStopsTheCut) {
    fs::create_directories(Host(Piece(1)));  // a folder stands where piece 1 goes
    FileNode node = Cut(Pattern(10), 4);
    ASSERT_EQ(1u, node.splitPathArray.size());
    EXPECT_EQ(Piece(0), node.splitPathArray[0]);
    EXPECT_FALSE(Exists(Piece(2)));
    EXPECT_EQ(std::vector<long long>{MSG_ERROR_BIGFILES_SPLIT_FAILED}, Errors());
    EXPECT_EQ(Pattern(10), Read(drives.Path(u"C:\\Media\\film.avi")));
}

}  // namespace
