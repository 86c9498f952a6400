// DeleteFolder and a mount point inside the tree (a bind mount: Linux only).
#include <sys/mount.h>

#include <algorithm>
#include <filesystem>

#include "delete_folder_fixture.h"

namespace fs = std::filesystem;
using namespace qxtest;

namespace {

TEST_F(DeleteFolderTest, MountPointInsideTheTreeIsNotEntered) {
    drives.Write(u"C:\\volume\\keep.txt", "keep");
    drives.Write(u"C:\\tree\\own.txt", "own");
    fs::create_directories(C("tree/mounted"));
    if (mount(C("volume").c_str(), C("tree/mounted").c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "bind mounts are not permitted here";

    int result = module.DeleteFolder(u"C:\\tree");
    bool stillMounted = HostExists(C("tree/mounted/keep.txt"));
    umount2(C("tree/mounted").c_str(), MNT_DETACH);
    // The mount point stays, and with it the tree: that is a failure, and the log names what stayed.
    EXPECT_EQ(1, result);
    auto log = Log();
    EXPECT_NE(log.end(), std::find_if(log.begin(), log.end(), [](const std::string& line) {
                  return line.find("MSG_ERROR_DELETE_FOLDER_FAILED - C:\\tree\\mounted could not be deleted") == 0;
              }));
    EXPECT_EQ("keep", ReadHostFile(C("volume/keep.txt")));
    EXPECT_TRUE(stillMounted);
    EXPECT_FALSE(HostExists(C("tree/own.txt")));
}

}  // namespace
