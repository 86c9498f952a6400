// Piece names already taken by the user's files, met by a run whose journal
// cannot take every entry, and a big file listed twice: what the run leaves
// beside the sources is the user's alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "backup_host.h"
#include "tmpfs_mount.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

struct FullJournal : BackupHost {};

}  // namespace

TEST_F(FullJournal, AUsersFileNamedLikeAPieceStaysWhenTheDestinationFillsUp) {
    const std::string destination = drives.Root('D') + "/Backups";
    fs::create_directories(destination);
    TmpfsMount small(destination, "32k");
    if (!small.mounted()) GTEST_SKIP() << TmpfsMount::kNotMounted;
    // Seven of the eight pages taken: the journal has one page, 4096 bytes.
    WriteHostFile(destination + "/filler", std::string(28672, 'f'));
    drives.Write(u"C:\\types.txt", "[Video]\navi\n");

    // Every big file's first piece name is taken by a file of the user's, and
    // the names are long enough that the journal's one page fills up while the
    // run meets them: whatever it manages to note, those files stay.
    std::vector<CString> files;
    for (int i = 0; i < 5; ++i) {
        const size_t length = i < 4 ? 184 : 196;
        const CString path = CString(u"C:\\V\\") + CString(std::u16string(length, char16_t(u'a' + i))) + u".avi";
        drives.Write(path, "");
        fs::resize_file(drives.Host(path), 1048576 + 7);
        drives.Write(path + u".000", "the user's own file");
        files.push_back(path);
    }

    Backup(files, {}, TRUE, 1, WIM_COMPRESS_NONE);
    host.Drain();

    for (const CString& path : files) {
        SCOPED_TRACE(path.ToUtf8());
        ASSERT_TRUE(HostExists(drives.Host(path + u".000")));
        EXPECT_EQ("the user's own file", ReadHostFile(drives.Host(path + u".000")));
    }
}

TEST_F(FullJournal, ABigFileListedTwiceLeavesNoPieceBesideIt) {
    drives.Write(u"C:\\types.txt", "[Video]\navi\n");
    const CString film = u"C:\\V\\film.avi";
    drives.Write(film, "");
    fs::resize_file(drives.Host(film), 2 * 1048576 + 7);

    EXPECT_EQ(0, Backup({film, film}, {}, TRUE, 1, WIM_COMPRESS_NONE));
    host.Drain();

    EXPECT_FALSE(HostExists(drives.Host(film + u".000")));
    EXPECT_FALSE(HostExists(drives.Host(film + u".001")));
    EXPECT_FALSE(HostExists(drives.Host(film + u".002")));
}
