#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "qxplatform.h"
#include "testhost.h"

using qxtest::TestDrives;

namespace {

HANDLE Open(const WCHAR* path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileW(path, access, share, nullptr, disposition, 0, nullptr);
}

// Runs body in a child process; its exit code is the result.
int InChild(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(FileHandle, DispositionsAndErrors) {
    TestDrives drives({"C"});
    EXPECT_EQ(Open(u"C:\\none.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open(u"C:\\nodir\\none.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    HANDLE h = Open(u"C:\\f.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "hello world", 11, &n, nullptr));
    EXPECT_EQ(n, 11u);
    LARGE_INTEGER pos, size;
    pos.QuadPart = 5;
    ASSERT_TRUE(SetFilePointerEx(h, pos, &pos, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    ASSERT_TRUE(GetFileSizeEx(h, &size));
    EXPECT_EQ(size.QuadPart, 5);
    pos.QuadPart = 0;
    ASSERT_TRUE(SetFilePointerEx(h, pos, nullptr, FILE_BEGIN));
    char buf[16] = {};
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), "hello");
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(n, 0u);
    ASSERT_TRUE(FlushFileBuffers(h));
    FILETIME when;
    when.dwHighDateTime = 0x01D00000;  // some day in 2014
    when.dwLowDateTime = 0;
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &when));
    FILETIME created, accessed, written;
    ASSERT_TRUE(GetFileTime(h, &created, &accessed, &written));
    EXPECT_EQ(written.dwHighDateTime, when.dwHighDateTime);
    EXPECT_EQ(written.dwLowDateTime, when.dwLowDateTime);
    ASSERT_TRUE(CloseHandle(h));

    EXPECT_EQ(Open(u"C:\\f.bin", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    h = Open(u"C:\\F.BIN", GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(ReadFile(h, buf, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(h);
    h = Open(u"C:\\f.bin", GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(qxtest::ReadHostFile(drives.Host(u"C:\\f.bin")), "");
    EXPECT_EQ(Open(u"C:\\", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(FileHandle, PosixSemanticsMatchNamesAsSpelled) {
    TestDrives drives({"C"});
    qxtest::WriteHostFile(drives.Root('C') + "/Docs/Case.txt", "first");
    const DWORD posix = FILE_FLAG_POSIX_SEMANTICS;
    auto create = [](const WCHAR* path, DWORD flags) {
        return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, flags, nullptr);
    };

    // Without the flag a name that differs only by case is the existing file.
    EXPECT_EQ(create(u"C:\\Docs\\case.txt", 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    // With it, that name is another file.
    HANDLE h = create(u"C:\\Docs\\case.txt", posix);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(qxtest::ReadHostFile(drives.Root('C') + "/Docs/Case.txt"), "first");
    EXPECT_TRUE(qxtest::HostExists(drives.Root('C') + "/Docs/case.txt"));
    EXPECT_EQ(create(u"C:\\Docs\\case.txt", posix), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    // Folders on the way are matched as spelled too.
    EXPECT_EQ(create(u"C:\\docs\\new.txt", posix), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(qxtest::HostExists(drives.Root('C') + "/Docs/new.txt"));
}

TEST(FileHandle, ShareModesWithinAndAcrossProcesses) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\locked.txt", "data");
    HANDLE reader = Open(u"C:\\locked.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE second = Open(u"C:\\locked.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    CloseHandle(second);
    EXPECT_EQ(Open(u"C:\\locked.txt", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileW(u"C:\\locked.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(reader);

    // A child holds the file without read sharing; we may not open it at all.
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t pid = fork();
    if (pid == 0) {
        HANDLE h = Open(u"C:\\locked.txt", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
        char c = h == INVALID_HANDLE_VALUE ? 'n' : 'y';
        if (write(ready[1], &c, 1) != 1) _exit(2);
        if (read(release[0], &c, 1) != 1) _exit(3);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    EXPECT_EQ(Open(u"C:\\locked.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(InChild([] {
                  HANDLE h = Open(u"C:\\locked.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
                  return h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION ? 0 : 1;
              }),
              0);
    ASSERT_EQ(write(release[1], "x", 1), 1);
    int status = 0;
    waitpid(pid, &status, 0);
    HANDLE after = Open(u"C:\\locked.txt", GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_NE(after, INVALID_HANDLE_VALUE);
    CloseHandle(after);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
}

TEST(FileOps, CopyKeepsAttributesAndHonoursFailIfExists) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\src.txt", "content");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\src.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    WIN32_FILE_ATTRIBUTE_DATA src, dst;
    ASSERT_TRUE(GetFileAttributesExW(u"C:\\src.txt", GetFileExInfoStandard, &src));
    ASSERT_TRUE(CopyFileW(u"C:\\src.txt", u"C:\\dst.txt", TRUE));
    ASSERT_TRUE(GetFileAttributesExW(u"C:\\dst.txt", GetFileExInfoStandard, &dst));
    EXPECT_EQ(dst.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(dst.ftLastWriteTime.dwLowDateTime, src.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(dst.ftLastWriteTime.dwHighDateTime, src.ftLastWriteTime.dwHighDateTime);
    EXPECT_EQ(qxtest::ReadHostFile(drives.Host(u"C:\\dst.txt")), "content");
    drives.Write(u"C:\\other.txt", "other");
    EXPECT_FALSE(CopyFileW(u"C:\\src.txt", u"C:\\other.txt", TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_TRUE(CopyFileW(u"C:\\src.txt", u"C:\\other.txt", FALSE));
    EXPECT_EQ(qxtest::ReadHostFile(drives.Host(u"C:\\other.txt")), "content");
    EXPECT_FALSE(CopyFileW(u"C:\\missing.txt", u"C:\\x.txt", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileW(u"C:\\other.txt", u"C:\\other.txt", FALSE));
    EXPECT_EQ(qxtest::ReadHostFile(drives.Host(u"C:\\other.txt")), "content");
}

TEST(FileOps, FoldersCreateRemoveDelete) {
    TestDrives drives({"C"});
    ASSERT_TRUE(CreateDirectoryW(u"C:\\a", nullptr));
    EXPECT_FALSE(CreateDirectoryW(u"C:\\a", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryW(u"C:\\x\\y", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    drives.Write(u"C:\\a\\f.txt", "x");
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\a"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(DeleteFileW(u"C:\\a"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(RemoveDirectoryW(u"C:\\a\\f.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_TRUE(DeleteFileW(u"C:\\A\\F.TXT"));
    EXPECT_FALSE(DeleteFileW(u"C:\\a\\f.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(RemoveDirectoryW(u"C:\\a"));
    EXPECT_FALSE(qxtest::HostExists(drives.Root('C') + "/a"));
}

TEST(FileOps, NewFolderNameIsTakenAsSpelled) {
    TestDrives drives({"C"});
    ASSERT_TRUE(CreateDirectoryW(u"C:\\Docs", nullptr));
    ASSERT_TRUE(CreateDirectoryW(u"C:\\DOCS", nullptr));
    EXPECT_FALSE(CreateDirectoryW(u"C:\\DOCS", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_TRUE(CreateDirectoryW(u"C:\\DOCS\\sub", nullptr));
    EXPECT_TRUE(qxtest::HostExists(drives.Root('C') + "/DOCS/sub"));
    EXPECT_FALSE(qxtest::HostExists(drives.Root('C') + "/Docs/sub"));
    EXPECT_TRUE(qxtest::HostExists(drives.Root('C') + "/Docs"));
}

TEST(FileHandle, MoveReplacesOnlyWhenAskedAndNeverAFolder) {
    TestDrives drives({"C", "D"});
    drives.Write(u"C:\\a.txt", "new");
    drives.Write(u"C:\\b.txt", "old");
    drives.Write(u"C:\\dir\\x", "");
    drives.Write(u"D:\\d.txt", "");
    EXPECT_FALSE(MoveFileExW(u"C:\\a.txt", u"C:\\b.txt", 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(MoveFileExW(u"C:\\a.txt", u"C:\\dir", MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(MoveFileExW(u"C:\\a.txt", u"D:\\a.txt", 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));
    EXPECT_FALSE(MoveFileExW(u"C:\\none", u"C:\\c.txt", 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(MoveFileExW(u"C:\\a.txt", u"C:\\b.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ("new", qxtest::ReadHostFile(drives.Host(u"C:\\b.txt")));
    EXPECT_FALSE(qxtest::HostExists(drives.Host(u"C:\\a.txt")));
}

TEST(FileHandle, AMoveNeverReplacesAFileWhoseNameDiffersOnlyInCase) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\dir\\new.tmp", "rebuilt");
    drives.Write(u"C:\\dir\\MOVIE.AVI", "small");
    ASSERT_TRUE(MoveFileExW(u"C:\\DIR\\new.tmp", u"C:\\DIR\\movie.avi", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ("rebuilt", qxtest::ReadHostFile(drives.Root('C') + "/dir/movie.avi"));
    EXPECT_EQ("small", qxtest::ReadHostFile(drives.Root('C') + "/dir/MOVIE.AVI"));
    // A rename can change the case of a name.
    ASSERT_TRUE(MoveFileExW(u"C:\\dir\\movie.avi", u"C:\\dir\\Movie.avi", 0));
    EXPECT_TRUE(qxtest::HostExists(drives.Root('C') + "/dir/Movie.avi"));
    EXPECT_FALSE(qxtest::HostExists(drives.Root('C') + "/dir/movie.avi"));
}

TEST(FileHandle, AFolderOpenedWithBackupSemanticsTakesItsTimesBack) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\dir\\x", "");
    HANDLE folder = CreateFileW(u"C:\\dir", FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(folder, INVALID_HANDLE_VALUE);
    FILETIME old;
    old.dwHighDateTime = 0x01C00000;
    old.dwLowDateTime = 0;
    ASSERT_TRUE(SetFileTime(folder, nullptr, nullptr, &old));
    CloseHandle(folder);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(u"C:\\dir", GetFileExInfoStandard, &data));
    EXPECT_EQ(old.dwHighDateTime, data.ftLastWriteTime.dwHighDateTime);
    EXPECT_EQ(old.dwLowDateTime, data.ftLastWriteTime.dwLowDateTime);
    // Without the flag a folder is no file to open.
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileW(u"C:\\dir", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}
