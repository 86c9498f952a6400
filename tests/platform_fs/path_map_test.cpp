#include <gtest/gtest.h>
#include <unistd.h>

#include "qxplatform.h"
#include "testhost.h"

using qxtest::TestDrives;

namespace {

std::string Host(const WCHAR* win) {
    std::string host;
    DWORD error = 0;
    if (!QxToHostPath(win, host, &error)) return "error " + std::to_string(error);
    return host;
}

CString FullPath(const WCHAR* path) {
    WCHAR buf[1024];
    DWORD n = GetFullPathNameW(path, 1024, buf, nullptr);
    return n && n < 1024 ? CString(buf) : CString(u"<failed>");
}

}  // namespace

TEST(PathMap, DriveLettersAndPrefix) {
    TestDrives drives({"C", "D"});
    EXPECT_EQ(Host(u"C:\\a\\b"), drives.Root('C') + "/a/b");
    EXPECT_EQ(Host(u"d:/a/b"), drives.Root('D') + "/a/b");
    EXPECT_EQ(Host(u"\\\\?\\D:\\x\\y"), drives.Root('D') + "/x/y");
    EXPECT_EQ(Host(u"C:\\"), drives.Root('C'));
    EXPECT_EQ(Host(u"C:\\a\\..\\..\\b\\.\\c"), drives.Root('C') + "/b/c");
    EXPECT_EQ(Host(u"Q:\\a"), "error 3");
    EXPECT_EQ(Host(u"C:\\a|b"), "error 123");
    EXPECT_EQ(QxFromHostPath(drives.Root('D') + "/x/y"), CString(u"D:\\x\\y"));
    EXPECT_EQ(QxFromHostPath(drives.Root('C')), CString(u"C:\\"));
    EXPECT_EQ(QxFromHostPath("/nowhere/else"), CString());
}

TEST(PathMap, RelativeAgainstCurrentDirectory) {
    TestDrives drives({"C"});
    qxtest::WriteHostFile(drives.Root('C') + "/dir/sub/file.txt", "x");
    EXPECT_EQ(Host(u"rel.txt"), drives.WorkDir() + "/rel.txt");  // the work folder lies on no drive
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\dir\\sub"));
    WCHAR buf[MAX_PATH];
    ASSERT_EQ(GetCurrentDirectoryW(MAX_PATH, buf), 10u);
    EXPECT_EQ(CString(buf), CString(u"C:\\dir\\sub"));
    EXPECT_EQ(Host(u"file.txt"), drives.Root('C') + "/dir/sub/file.txt");
    EXPECT_EQ(Host(u"..\\x"), drives.Root('C') + "/dir/x");
    EXPECT_EQ(Host(u"\\top"), drives.Root('C') + "/top");
    EXPECT_EQ(Host(u"C:file.txt"), drives.Root('C') + "/dir/sub/file.txt");
    EXPECT_EQ(GetCurrentDirectoryW(3, buf), 11u);
}

TEST(PathMap, CaseInsensitiveFallback) {
    TestDrives drives({"C"});
    qxtest::WriteHostFile(drives.Root('C') + "/Docs/Report.TXT", "x");
    EXPECT_EQ(Host(u"C:\\docs\\report.txt"), drives.Root('C') + "/Docs/Report.TXT");
    EXPECT_EQ(Host(u"C:\\DOCS\\new.txt"), drives.Root('C') + "/Docs/new.txt");
    EXPECT_EQ(GetFileAttributesW(u"C:\\dOcS\\REPORT.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(u"C:\\docs\\none.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(u"C:\\nodir\\none.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(u"C:\\docs\\report.txt\\x"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// The lookup that ignores case is only a fallback: an exact name always wins,
// and a spelling that matches several names (of files or folders) is refused.
TEST(PathMap, NamesDifferingOnlyByCaseAreNeverGuessed) {
    TestDrives drives({"C"});
    qxtest::WriteHostFile(drives.Root('C') + "/d/movie.avi", "big");
    qxtest::WriteHostFile(drives.Root('C') + "/d/MOVIE.AVI", "small");
    qxtest::WriteHostFile(drives.Root('C') + "/Dir/a.txt", "upper");
    qxtest::WriteHostFile(drives.Root('C') + "/dir/a.txt", "lower");
    EXPECT_EQ(Host(u"C:\\d\\movie.avi"), drives.Root('C') + "/d/movie.avi");
    EXPECT_EQ(Host(u"C:\\d\\MOVIE.AVI"), drives.Root('C') + "/d/MOVIE.AVI");
    EXPECT_EQ(Host(u"C:\\Dir\\a.txt"), drives.Root('C') + "/Dir/a.txt");
    for (const WCHAR* ambiguous : {u"C:\\d\\Movie.avi", u"C:\\DIR\\a.txt", u"C:\\DIR\\new.txt"}) {
        std::string host;
        DWORD error = 0;
        EXPECT_FALSE(QxToHostPath(ambiguous, host, &error)) << CString(ambiguous).ToUtf8();
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_CANT_RESOLVE_FILENAME));
        EXPECT_EQ(GetFileAttributesW(ambiguous), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANT_RESOLVE_FILENAME));
    }
    // A new file that adds a second spelling makes the old fallback ambiguous.
    qxtest::WriteHostFile(drives.Root('C') + "/e/Only.txt", "");
    EXPECT_EQ(Host(u"C:\\e\\ONLY.TXT"), drives.Root('C') + "/e/Only.txt");
    qxtest::WriteHostFile(drives.Root('C') + "/e/only.txt", "");
    EXPECT_EQ(GetFileAttributesW(u"C:\\e\\ONLY.TXT"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANT_RESOLVE_FILENAME));
}

TEST(PathMap, FullPathNames) {
    TestDrives drives({"C", "D"});
    EXPECT_EQ(FullPath(u"C:\\a\\b\\..\\c"), CString(u"C:\\a\\c"));
    EXPECT_EQ(FullPath(u"C:/a/./b/"), CString(u"C:\\a\\b\\"));
    EXPECT_EQ(FullPath(u"C:\\a\\.."), CString(u"C:\\"));
    EXPECT_EQ(FullPath(u"C:\\..\\..\\x"), CString(u"C:\\x"));
    EXPECT_EQ(FullPath(u"\\\\?\\C:\\a\\..\\b"), CString(u"\\\\?\\C:\\a\\..\\b"));
    EXPECT_EQ(FullPath(u"D:"), CString(u"D:\\"));
    ASSERT_TRUE(SetCurrentDirectoryW(u"D:\\"));
    qxtest::WriteHostFile(drives.Root('D') + "/w/f", "");
    ASSERT_TRUE(SetCurrentDirectoryW(u"D:\\w"));
    EXPECT_EQ(FullPath(u"x\\y"), CString(u"D:\\w\\x\\y"));
    EXPECT_EQ(FullPath(u"..\\..\\y"), CString(u"D:\\y"));
    EXPECT_EQ(FullPath(u"\\r"), CString(u"D:\\r"));
    EXPECT_EQ(FullPath(u"D:z"), CString(u"D:\\w\\z"));
    EXPECT_EQ(FullPath(u"C:z"), CString(u"C:\\z"));

    WCHAR buf[64];
    LPWSTR part = nullptr;
    ASSERT_EQ(GetFullPathNameW(u"C:\\dir\\name.txt", 64, buf, &part), 15u);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(CString(part), CString(u"name.txt"));
    EXPECT_EQ(GetFullPathNameW(u"C:\\dir\\name.txt", 10, buf, nullptr), 16u);
}

TEST(PathMap, LongPathsBeyondMaxPath) {
    TestDrives drives({"C"});
    CString win = u"\\\\?\\C:";
    std::string host = drives.Root('C');
    for (int i = 0; i < 12; ++i) {
        CString part;
        part.Format(u"folder_with_a_rather_long_name_%02d", i);
        win += u"\\" + part;
        host += "/" + part.ToUtf8();
        ASSERT_TRUE(CreateDirectoryW(win, nullptr)) << GetLastError();
    }
    ASSERT_GT(win.GetLength(), 400);
    CString file = win + u"\\deep.txt";
    HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "deep", 4, &written, nullptr));
    CloseHandle(h);
    EXPECT_EQ(qxtest::ReadHostFile(host + "/deep.txt"), "deep");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(win + u"\\*.txt", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CString(data.cFileName), CString(u"deep.txt"));
    FindClose(find);
    CString plain = file.Mid(4);  // without the prefix as well
    EXPECT_EQ(GetFileAttributesW(plain), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    WCHAR full[1024];
    EXPECT_EQ(GetFullPathNameW(plain, 1024, full, nullptr), static_cast<DWORD>(plain.GetLength()));
    EXPECT_TRUE(DeleteFileW(file));
}

TEST(PathMap, NoCaseLookupFollowsChangesMadeOutsideTheLayer) {
    TestDrives drives({"C"});
    ASSERT_TRUE(CreateDirectoryW(u"C:\\big", nullptr));
    for (int i = 0; i < 50; ++i) {
        CString name;
        name.Format(u"C:\\big\\Item%d.txt", i);
        HANDLE h = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    EXPECT_EQ(Host(u"C:\\big\\ITEM7.TXT"), drives.Root('C') + "/big/Item7.txt");
    // Created and removed behind the layer's back.
    qxtest::WriteHostFile(drives.Root('C') + "/big/Outside.dat", "");
    EXPECT_EQ(Host(u"C:\\big\\outside.DAT"), drives.Root('C') + "/big/Outside.dat");
    ASSERT_EQ(unlink((drives.Root('C') + "/big/Item7.txt").c_str()), 0);
    EXPECT_EQ(GetFileAttributesW(u"C:\\big\\ITEM7.TXT"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Host(u"C:\\BIG\\item8.TXT"), drives.Root('C') + "/big/Item8.txt");
}
