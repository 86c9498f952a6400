// Cutting and rebuilding big files when a write fails part-way (a file size
// limit makes it fail on Linux; Windows has no such limit to set).
#include <signal.h>
#include <sys/resource.h>

#include "merge_fixture.h"

using namespace bigfiles;

namespace {

class SplitWriteFailureTest : public BigFileTest {
protected:
    CString Piece(int n) const {
        CString path;
        path.Format(u"C:\\Media\\film.avi.%03d", n);
        return path;
    }
};

TEST_F(SplitWriteFailureTest, AFailedWriteIsAFailureNotAShortPiece) {
    drives.Write(u"C:\\Media\\film.avi", Pattern(30000));
    FileNode node;
    node.suszPath = u"C:\\Media\\film.avi";
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 10000;  // no file may grow past 10000 bytes: the first piece runs into it
    sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    SplitBigFile(12000, node);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(node.splitPathArray.empty());
    EXPECT_FALSE(Exists(Piece(0)));  // the incomplete piece is removed
    EXPECT_FALSE(Exists(Piece(1)));
    EXPECT_FALSE(Exists(Piece(2)));
    EXPECT_EQ(std::vector<long long>{MSG_ERROR_BIGFILES_SPLIT_FAILED}, Errors());
}

TEST_F(MergeTest, AFailedWriteKeepsThePieces) {
    std::string first(8000, 'a'), second(8000, 'b');
    AddNode(u"C:\\Media\\film.avi", {first.c_str(), second.c_str()});
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 10000;  // the output cannot grow to 16000 bytes
    sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    int result = RestoreBigFiles(catalog, u"D:\\Restore", u"C:\\", u"VIDEO", 1);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(0, result);
    // Nothing partial under the file's name or beside it: only the pieces.
    EXPECT_EQ((std::vector<std::string>{"film.avi.000", "film.avi.001"}), Names(Restored(u"Media")));
    EXPECT_TRUE(first == Read(Restored(u"Media\\film.avi.000")));
    EXPECT_TRUE(second == Read(Restored(u"Media\\film.avi.001")));
    EXPECT_EQ(std::vector<long long>{MSG_ERROR_BIGFILES_MERGE_FAILED}, Errors());
}

}  // namespace
