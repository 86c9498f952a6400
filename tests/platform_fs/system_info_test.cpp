#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "qxplatform.h"
#include "testhost.h"

using qxtest::TestDrives;

TEST(SystemInfo, LastErrorFromErrno) {
    EXPECT_EQ(QxSetLastErrorFromErrno(ENOENT), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(QxSetLastErrorFromErrno(ENOTDIR), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(QxSetLastErrorFromErrno(EACCES), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(QxSetLastErrorFromErrno(EROFS), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(QxSetLastErrorFromErrno(EEXIST), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(QxSetLastErrorFromErrno(ENOTEMPTY), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_EQ(QxSetLastErrorFromErrno(ENOSPC), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(QxSetLastErrorFromErrno(ENAMETOOLONG), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(QxSetLastErrorFromErrno(ETXTBSY), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    SetLastError(1234);
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST(SystemInfo, FormatMessageTexts) {
    WCHAR buf[256];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             ERROR_FILE_NOT_FOUND, 0, buf, 256, nullptr);
    EXPECT_EQ(CString(buf), CString(u"The system cannot find the file specified.\r\n"));
    EXPECT_EQ(n, 44u);
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buf, 5, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x7777, 0, buf, 256, nullptr), 0u);
}

TEST(SystemInfo, MemoryStatus) {
    MEMORYSTATUSEX status = {};
    EXPECT_FALSE(GlobalMemoryStatusEx(&status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_GT(status.ullTotalPhys, 0u);
    EXPECT_LE(status.ullAvailPhys, status.ullTotalPhys);
    EXPECT_LE(status.dwMemoryLoad, 100u);
}

TEST(SystemInfo, TempPath) {
    TestDrives drives({"C", "D"});
    std::string old = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    qxtest::WriteHostFile(drives.Root('D') + "/tmp/keep", "");
    setenv("TMPDIR", (drives.Root('D') + "/tmp").c_str(), 1);
    WCHAR buf[MAX_PATH];
    ASSERT_EQ(GetTempPathW(MAX_PATH, buf), 7u);
    EXPECT_EQ(CString(buf), CString(u"D:\\tmp\\"));
    EXPECT_EQ(GetTempPathW(3, buf), 8u);
    setenv("TMPDIR", "/nowhere/on/a/drive", 1);
    ASSERT_EQ(GetTempPathW(MAX_PATH, buf), 3u);
    EXPECT_EQ(CString(buf), CString(u"C:\\"));
    if (old.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", old.c_str(), 1);
}

TEST(SystemInfo, LocalTime) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    EXPECT_GE(st.wYear, 2024);
    EXPECT_GE(st.wMonth, 1);
    EXPECT_LE(st.wMonth, 12);
}
