#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include "qxplatform.h"
#include "wcrt.h"
#include "testhost.h"

using qxtest::TestDrives;

namespace {

std::string DosXattr(const std::string& host) {
    char buf[64];
    ssize_t n = lgetxattr(host.c_str(), "user.DOSATTRIB", buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

mode_t ModeOf(const std::string& host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

TEST(Attributes, RoundTripThroughModeAndXattr) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\f.txt", "x");
    std::string host = drives.Host(u"C:\\f.txt");
    EXPECT_EQ(GetFileAttributesW(u"C:\\f.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\f.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesW(u"C:\\f.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(DosXattr(host), "0x21");
    EXPECT_EQ(ModeOf(host) & 0222, 0u);
    ASSERT_TRUE(SetFileAttributesW(u"C:\\f.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(GetFileAttributesW(u"C:\\f.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_NE(ModeOf(host) & 0200, 0u);
    ASSERT_TRUE(SetFileAttributesW(u"C:\\f.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(u"C:\\f.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(DosXattr(host), "");
    // Read-only set by the host's mode bits alone shows as well.
    chmod(host.c_str(), 0444);
    EXPECT_EQ(GetFileAttributesW(u"C:\\f.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST(Attributes, FoldersKeepDirectoryBit) {
    TestDrives drives({"C"});
    ASSERT_TRUE(CreateDirectoryW(u"C:\\folder", nullptr));
    EXPECT_EQ(GetFileAttributesW(u"C:\\folder"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\folder", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesW(u"C:\\folder"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesW(u"C:\\"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"C:\\*", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    FindClose(h);
}

TEST(Attributes, ReadOnlyIsEnforcedEvenAsRoot) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\ro.txt", "keep");
    drives.Write(u"C:\\src.txt", "new");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(CreateFileW(u"C:\\ro.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(CreateFileW(u"C:\\ro.txt", GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileW(u"C:\\ro.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(CopyFileW(u"C:\\src.txt", u"C:\\ro.txt", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(_wfopen(u"C:\\ro.txt", u"a"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(qxtest::ReadHostFile(drives.Host(u"C:\\ro.txt")), "keep");
    HANDLE h = CreateFileW(u"C:\\ro.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileW(u"C:\\ro.txt"));
}

TEST(Attributes, HiddenFileRefusesCreateAlways) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\h.txt", "keep");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\h.txt", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(CreateFileW(u"C:\\h.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE h = CreateFileW(u"C:\\h.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(h);
    EXPECT_EQ(qxtest::ReadHostFile(drives.Host(u"C:\\h.txt")), "");
}
