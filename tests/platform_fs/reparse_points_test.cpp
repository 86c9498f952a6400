#include <gtest/gtest.h>
#include <sys/mount.h>

#include "qxplatform.h"
#include "testhost.h"

using qxtest::TestDrives;

TEST(ReparsePoints, MountedFolderIsReparsePointAndStaysMounted) {
    TestDrives drives({"C"});
    std::string point = drives.Root('C') + "/mnt";
    qxtest::WriteHostFile(point + "/.keep", "");
    if (mount("qxfm-test", point.c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "cannot mount here";
    qxtest::WriteHostFile(point + "/inside.txt", "inside");
    DWORD attributes = GetFileAttributesW(u"C:\\mnt");
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"C:\\m*", &data);
    bool removed = RemoveDirectoryW(u"C:\\mnt");
    DWORD error = GetLastError();
    std::string inside = qxtest::ReadHostFile(point + "/inside.txt");
    umount(point.c_str());
    EXPECT_EQ(attributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_EQ(data.dwReserved0, 0xA0000003u);
    FindClose(h);
    EXPECT_FALSE(removed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(inside, "inside");
}

TEST(DriveTable, EnvironmentVariableIsTheDefault) {
    qxtest::TempDir tmp;
    setenv("QXFM_DRIVES", ("D=" + tmp.path() + ",removable").c_str(), 1);
    ASSERT_TRUE(QxSetDriveTable(""));
    EXPECT_EQ(QxFindDrive(u'C'), nullptr);
    ASSERT_NE(QxFindDrive(u'D'), nullptr);
    EXPECT_EQ(GetDriveTypeW(u"D:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    unsetenv("QXFM_DRIVES");
    ASSERT_TRUE(QxSetDriveTable(""));
    EXPECT_NE(QxFindDrive(u'C'), nullptr);
}
