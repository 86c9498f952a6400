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
    EXPECT_EQ(c->hostRoot, "");
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

// A malformed QXFM_DRIVES leaves no drive at all, never the host's mounts, and
// says which entry is wrong and why.
TEST(DriveTable, MalformedEnvironmentVariableGivesNoDrives) {
    struct Case {
        std::string table, problem;
    };
    const std::vector<Case> cases = {
        {"C=/srv/c,fixed,actve", "QXFM_DRIVES entry \"C=/srv/c,fixed,actve\": unknown kind or option \"actve\""},
        {"C=/srv/c;C=/srv/d", "QXFM_DRIVES entry \"C=/srv/d\": the drive letter is given twice"},
        {"C=srv", "QXFM_DRIVES entry \"C=srv\": the folder is not an absolute host path"},
        {"CD=/srv", "QXFM_DRIVES entry \"CD=/srv\": not LETTER=/FOLDER[,OPTION...]"},
        {"1=/srv", "QXFM_DRIVES entry \"1=/srv\": the drive is not a letter A to Z"},
        {"C=/srv,free=1k", "QXFM_DRIVES entry \"C=/srv,free=1k\": free= wants a number of bytes"},
        {";", "QXFM_DRIVES no drive is given"},
    };
    for (const Case& c : cases) {
        setenv("QXFM_DRIVES", c.table.c_str(), 1);
        EXPECT_FALSE(QxSetDriveTable(""));
        EXPECT_EQ(QxDriveTableProblem(), c.problem);
    }
    setenv("QXFM_DRIVES", "C=/srv/c,fixed,actve", 1);
    QxSetDriveTable("");
    EXPECT_EQ(QxFindDrive(u'C'), nullptr);
    WCHAR buf[64];
    EXPECT_EQ(GetLogicalDriveStringsW(64, buf), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_CONFIGURATION));
    WCHAR text[256];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_BAD_CONFIGURATION, 0, text, 256, nullptr);
    EXPECT_EQ(CString(text, static_cast<int>(n)),
              CString(u"The drive table is malformed: QXFM_DRIVES entry \"C=/srv/c,fixed,actve\": unknown kind or "
                      u"option \"actve\".\r\n"));
    EXPECT_EQ(GetFileAttributesW(u"C:\\etc"), INVALID_FILE_ATTRIBUTES);

    // A sound table set explicitly replaces it; the sound default comes back without the variable.
    TestDrives drives({"C"});
    EXPECT_EQ(QxDriveTableProblem(), "");
    unsetenv("QXFM_DRIVES");
    EXPECT_TRUE(QxSetDriveTable(""));
    EXPECT_NE(GetLogicalDriveStringsW(64, buf), 0u);
}
