// A backup folder whose drive fills up just as the run notes that a piece
// name was already taken by a file of the user's: that file is not the run's
// own and must stay.
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
    if (!small.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    // Seven of the eight pages taken: the journal has one page, 4096 bytes.
    WriteHostFile(destination + "/filler", std::string(28672, 'f'));
    drives.Write(u"C:\\types.txt", "[Video]\navi\n");

    // Journal entries so far: the work folder D:\Backups\Monday\Image.incomplete
    // (74 bytes) and the time of C:\V\ (48 bytes). Each big file below then
    // adds "+ piece" and, since its piece name is taken, "- piece": 400 bytes
    // each for the four names of 188 characters. The last file's "+" entry
    // (424 bytes) still fits into the page, its "-" entry does not.
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
