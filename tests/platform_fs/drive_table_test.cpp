#include <gtest/gtest.h>

#include "qxplatform.h"
#include "testhost.h"

using qxtest::TestDrives;

TEST(DriveTable, ExplicitSpecWithOptions) {
    qxtest::TempDir tmp;
    std::string tableText = "C=" + tmp.path() + ",fixed,active;d=" + tmp.path() + "/,removable;E=" + tmp.path() +
                       ",fixed,noopen,free=1048576";
    ASSERT_TRUE(QxSetDriveTable(tableText));
    const QxDrive* c = QxFindDrive(u'C');
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->hostRoot, tmp.path());
    EXPECT_TRUE(c->active);
    const QxDrive* d = QxFindDrive(u'd');
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->type, static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_EQ(d->hostRoot, tmp.path());
    const QxDrive* e = QxFindDrive(u'E');
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->noOpen);
    EXPECT_TRUE(e->hasFreeOverride);
    EXPECT_EQ(e->freeBytes, 1048576u);
    EXPECT_EQ(QxFindDrive(u'F'), nullptr);
    QxSetDriveTable("");
}

TEST(DriveTable, MalformedSpecKeepsTable) {
    TestDrives drives({"C"});
    const QxDrive* before = QxFindDrive(u'C');
    EXPECT_FALSE(QxSetDriveTable("C=/x;C=/y"));
    EXPECT_FALSE(QxSetDriveTable("C=relative"));
    EXPECT_FALSE(QxSetDriveTable("C=/x,bogus"));
    EXPECT_FALSE(QxSetDriveTable("1=/x"));
    EXPECT_FALSE(QxSetDriveTable("C=/x,free=12k"));
    EXPECT_EQ(QxFindDrive(u'C'), before);
}

TEST(DriveTable, DefaultHasRootAsC) {
    ASSERT_TRUE(QxSetDriveTable(""));
    const QxDrive* c = QxFindDrive(u'C');
    ASSERT_NE(c, nullptr);
    if (!getenv("QXFM_DRIVES")) {
        EXPECT_EQ(c->hostRoot, "");
    }
    EXPECT_EQ(GetDriveTypeW(u"C:\\"), c->type);
}

TEST(DriveTable, LogicalDriveStrings) {
    TestDrives drives({"C", "D,removable", "F,cdrom"});
    WCHAR buf[32];
    DWORD n = GetLogicalDriveStringsW(32, buf);
    ASSERT_EQ(n, 12u);
    EXPECT_EQ(std::u16string(buf, 13), std::u16string(u"C:\\\0D:\\\0F:\\\0\0", 13));
    EXPECT_EQ(GetLogicalDriveStringsW(5, buf), 13u);
    EXPECT_EQ(GetDriveTypeW(u"D:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_EQ(GetDriveTypeW(u"F:"), static_cast<UINT>(DRIVE_CDROM));
    EXPECT_EQ(GetDriveTypeW(u"C:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(u"Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(GetDriveTypeW(u"C:\\work\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
}

TEST(DriveTable, VolumeDeviceAndPartitionInfo) {
    TestDrives drives({"C,fixed,active", "D", "E,fixed,noopen"});
    HANDLE c = CreateFileW(u"\\\\.\\C:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(c, INVALID_HANDLE_VALUE);
    PARTITION_INFORMATION info{};
    DWORD bytes = 0;
    ASSERT_TRUE(DeviceIoControl(c, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof info, &bytes, nullptr));
    EXPECT_EQ(bytes, 32u);
    EXPECT_EQ(info.BootIndicator, 1);
    EXPECT_GT(info.PartitionLength.QuadPart, 0);
    EXPECT_FALSE(DeviceIoControl(c, 0x00070000, nullptr, 0, &info, sizeof info, &bytes, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    CloseHandle(c);

    HANDLE d = CreateFileW(u"\\\\.\\d:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(d, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(DeviceIoControl(d, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof info, &bytes, nullptr));
    EXPECT_EQ(info.BootIndicator, 0);
    CloseHandle(d);

    EXPECT_EQ(CreateFileW(u"\\\\.\\E:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(CreateFileW(u"\\\\.\\Q:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST(DriveTable, FreeSpaceOverride) {
    TestDrives drives({"C", "E,fixed,free=1048576"});
    ULARGE_INTEGER avail, total, freeBytes;
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"E:\\", &avail, &total, &freeBytes));
    EXPECT_EQ(freeBytes.QuadPart, 1048576u);
    EXPECT_EQ(avail.QuadPart, 1048576u);
    EXPECT_GT(total.QuadPart, 1048576u);
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\", nullptr, &total, &freeBytes));
    EXPECT_LE(freeBytes.QuadPart, total.QuadPart);
    EXPECT_FALSE(GetDiskFreeSpaceExW(u"C:\\missing\\", nullptr, &total, &freeBytes));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}
