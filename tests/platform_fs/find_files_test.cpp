#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "qxplatform.h"
#include "testhost.h"

using qxtest::TestDrives;

namespace {

std::vector<CString> List(const WCHAR* pattern, DWORD* error = nullptr) {
    std::vector<CString> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(pattern, &data);
    if (h == INVALID_HANDLE_VALUE) {
        if (error) *error = GetLastError();
        return names;
    }
    do names.emplace_back(data.cFileName);
    while (FindNextFileW(h, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(h));
    return names;
}

std::vector<CString> Names(std::initializer_list<const WCHAR*> list) {
    std::vector<CString> v;
    for (const WCHAR* s : list) v.emplace_back(s);
    return v;
}

}  // namespace

TEST(FindFiles, OrderDotsAndPatterns) {
    TestDrives drives({"C"});
    for (const char* name : {"b.txt", "A.doc", "c", "archive.tar.gz", "_x.TXT", "a.txt.bak", "Z"})
        drives.Write(CString::FromUtf8(std::string("C:\\dir\\") + name), "x");
    drives.Write(u"C:\\dir\\Sub\\inner", "");
    EXPECT_EQ(List(u"C:\\dir\\*"), Names({u".", u"..", u"A.doc", u"a.txt.bak", u"archive.tar.gz", u"b.txt", u"c",
                                          u"Sub", u"Z", u"_x.TXT"}));
    EXPECT_EQ(List(u"C:\\dir\\*.*"), List(u"C:\\dir\\*"));
    EXPECT_EQ(List(u"C:\\dir\\*.txt"), Names({u"b.txt", u"_x.TXT"}));
    EXPECT_EQ(List(u"C:\\dir\\?.*"), Names({u".", u"..", u"A.doc", u"a.txt.bak", u"b.txt", u"c", u"Z"}));
    EXPECT_EQ(List(u"C:\\dir\\*."), Names({u".", u"..", u"c", u"Sub", u"Z"}));
    EXPECT_EQ(List(u"C:\\dir\\A*"), Names({u"A.doc", u"a.txt.bak", u"archive.tar.gz"}));
    EXPECT_EQ(List(u"\\\\?\\C:\\DIR\\sub\\*.*"), Names({u".", u"..", u"inner"}));
    EXPECT_EQ(List(u"C:\\dir\\B.TXT"), Names({u"b.txt"}));
    EXPECT_EQ(List(u"C:\\dir\\sub"), Names({u"Sub"}));
    // Drive roots list no dot entries.
    EXPECT_EQ(List(u"C:\\*"), Names({u"dir"}));
}

TEST(FindFiles, Errors) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\dir\\file.txt", "x");
    DWORD error = 0;
    EXPECT_TRUE(List(u"C:\\missing\\*.*", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(List(u"C:\\dir\\*.doc", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(List(u"C:\\dir\\none.txt", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(List(u"C:\\nodir\\none.txt", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(List(u"C:\\dir\\", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    WIN32_FIND_DATAW data;
    EXPECT_FALSE(FindNextFileW(nullptr, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST(FindFiles, FindDataIsFilled) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\d\\five.bin", "12345");
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"C:\\d\\*.bin", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FindClose(h);
    WIN32_FILE_ATTRIBUTE_DATA attr;
    ASSERT_TRUE(GetFileAttributesExW(u"C:\\d\\five.bin", GetFileExInfoStandard, &attr));
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(attr.nFileSizeLow, 5u);
    EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, attr.ftLastWriteTime.dwHighDateTime);
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, attr.ftLastWriteTime.dwLowDateTime);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULONGLONG written = (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    ULONGLONG current = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    EXPECT_LE(written, current);
    EXPECT_GT(written, current - 10ULL * 60 * 10000000);
    ULONGLONG created = (ULONGLONG(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
    EXPECT_GT(created, 0u);
}

TEST(FindFiles, SymlinkToFolderIsReparsePoint) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\real\\keep.txt", "keep");
    ASSERT_EQ(symlink((drives.Root('C') + "/real").c_str(), (drives.Root('C') + "/link").c_str()), 0);
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"C:\\link", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FindClose(h);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_EQ(data.dwReserved0, 0xA000000Cu);
    EXPECT_EQ(GetFileAttributesW(u"C:\\link"), static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_EQ(GetFileAttributesW(u"C:\\real"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    // Setting attributes on the link leaves the target alone; deleting removes only the link.
    EXPECT_TRUE(SetFileAttributesW(u"C:\\link", FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\real"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_TRUE(RemoveDirectoryW(u"C:\\link"));
    EXPECT_FALSE(qxtest::HostExists(drives.Root('C') + "/link"));
    EXPECT_EQ(qxtest::ReadHostFile(drives.Root('C') + "/real/keep.txt"), "keep");
    ASSERT_EQ(symlink((drives.Root('C') + "/real/keep.txt").c_str(), (drives.Root('C') + "/flink").c_str()), 0);
    EXPECT_TRUE(DeleteFileW(u"C:\\flink"));
    EXPECT_EQ(qxtest::ReadHostFile(drives.Root('C') + "/real/keep.txt"), "keep");
}

TEST(FindFiles, ACaseSensitiveSearchFindsOnlyTheNameAsSpelled) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\Dir\\report.txt", "x");
    auto find = [](const WCHAR* path, WIN32_FIND_DATAW& data) {
        HANDLE h = FindFirstFileExW(path, FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                    FIND_FIRST_EX_CASE_SENSITIVE);
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
        return h != INVALID_HANDLE_VALUE;
    };
    WIN32_FIND_DATAW data;
    ASSERT_TRUE(find(u"C:\\Dir\\report.txt", data));
    EXPECT_EQ(CString(u"report.txt"), CString(data.cFileName));
    EXPECT_FALSE(find(u"C:\\Dir\\Report.txt", data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(find(u"C:\\DIR\\report.txt", data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(find(u"C:\\Dir\\*.txt", data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    // Without the flag the name is found in any case, as FindFirstFileW finds it.
    HANDLE h = FindFirstFileExW(u"C:\\DIR\\Report.txt", FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CString(u"report.txt"), CString(data.cFileName));
    FindClose(h);
}
