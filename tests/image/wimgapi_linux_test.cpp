// The WIMGAPI layer on Linux: the library's messages kept for the log, drives
// and file systems mounted below a capture source, and what an apply leaves of
// its target folder's owner and mode.
#include <sys/stat.h>
#include <unistd.h>

#include "qxplatform.h"
#include "run_command.h"
#include "tmpfs_mount.h"
#include "wimgapi_fixture.h"

using namespace wimtest;

TEST_F(WimgapiFixture, FailuresSetFittingLastErrorsAndLibraryTextStaysOffTheConsole) {
    EXPECT_EQ(nullptr, WIMCreateFile(u"D:\\missing.wim", WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

    drives.Write(u"D:\\fake.wim", "this is not an image file at all, just text that goes on");
    QxTakeWimLibraryMessages();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    HANDLE fake = WIMCreateFile(u"D:\\fake.wim", WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    DWORD error = GetLastError();
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(nullptr, fake);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), error);
    EXPECT_EQ("", out);
    EXPECT_EQ("", err);
    EXPECT_FALSE(QxTakeWimLibraryMessages().IsEmpty());
    EXPECT_TRUE(QxTakeWimLibraryMessages().IsEmpty());

    // Handles are checked before use.
    int notAHandle = 0;
    EXPECT_FALSE(WIMCloseHandle(&notAHandle));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(nullptr, WIMCaptureImage(&notAHandle, u"C:\\", 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    // A read-only handle cannot capture; a missing image cannot be loaded.
    ASSERT_TRUE(Capture(u"D:\\Image.wim", WIM_CREATE_ALWAYS, u"C:\\Docs"));
    HANDLE file = WIMCreateFile(u"D:\\Image.wim", WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(nullptr, WIMCaptureImage(file, u"C:\\", 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(nullptr, WIMLoadImage(file, 2));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(WIMSetTemporaryPath(file, u"D:\\nowhere"));
    EXPECT_TRUE(WIMSetTemporaryPath(file, u"D:\\"));
    WIM_INFO small;
    EXPECT_FALSE(WIMGetAttributes(file, &small, 100));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    WIMCloseHandle(file);

    // A missing capture source.
    DWORD captureError = 0;
    EXPECT_FALSE(Capture(u"D:\\Image.wim", WIM_OPEN_EXISTING, u"C:\\nowhere", WIM_COMPRESS_XPRESS, &captureError));
    EXPECT_NE(0u, captureError);
    EXPECT_EQ(1u, InfoOf(u"D:\\Image.wim").ImageCount);
}

TEST_F(WimgapiFixture, AnotherDriveMountedBelowTheSourceIsLeftToItsOwnCapture) {
    const std::string c = drives.Root('C');
    drives.Write(u"C:\\Inner\\d.txt", "on drive E\n");
    ASSERT_TRUE(QxSetDriveTable("C=" + c + ",fixed;D=" + drives.Root('D') + ",fixed;E=" + c + "/Inner,fixed"));
    ASSERT_TRUE(Capture(u"D:\\Image.wim", WIM_CREATE_ALWAYS, u"C:\\"));
    EXPECT_FALSE(Offered(u"C:\\Inner"));
    std::string listing = ListingOf(Host(u"D:\\Image.wim"), 1);
    EXPECT_EQ(std::string::npos, listing.find("Inner")) << listing;
    EXPECT_NE(std::string::npos, listing.find("/Docs/a.txt")) << listing;
}

TEST_F(WimgapiFixture, AFileSystemMountedBelowTheSourceIsNeitherOfferedNorCaptured) {
    drives.Write(u"C:\\Docs\\Mounted\\under.txt", "below the mount point\n");
    TmpfsMount tmpfs(Host(u"C:\\Docs\\Mounted"), "64k");
    if (!tmpfs.mounted()) GTEST_SKIP() << TmpfsMount::kNotMounted;
    drives.Write(u"C:\\Docs\\Mounted\\other.txt", "on the mounted file system\n");
    ASSERT_TRUE(Capture(u"D:\\Image.wim", WIM_CREATE_ALWAYS, u"C:\\"));
    EXPECT_FALSE(Offered(u"C:\\Docs\\Mounted"));
    EXPECT_TRUE(Offered(u"C:\\Docs\\a.txt"));
    std::string listing = ListingOf(Host(u"D:\\Image.wim"), 1);
    EXPECT_EQ(std::string::npos, listing.find("Mounted")) << listing;
    EXPECT_NE(std::string::npos, listing.find("/Docs/a.txt")) << listing;
}

TEST_F(WimgapiFixture, AnApplyLeavesItsTargetFolderAsItWas) {
    drives.Write(u"C:\\Src\\f.txt", "f");
    const std::string src = Host(u"C:\\Src");
    ASSERT_EQ(0, chown(src.c_str(), 1234, 2345));
    ASSERT_EQ(0, chown((src + "/f.txt").c_str(), 1234, 2345));
    ASSERT_EQ(0, chmod(src.c_str(), 0700));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\Src", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\Src\\f.txt", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(CreateDirectoryW(u"D:\\Out", nullptr));
    ASSERT_TRUE(Capture(u"D:\\Out\\Image.wim", WIM_CREATE_ALWAYS, u"C:\\Src"));
    int status = 0;
    std::string out = RunCommand("wimlib-imagex capture '" + src + "' '" + Host(u"D:\\Out\\Plain.wim") + "'", &status);
    ASSERT_EQ(0, status) << out;

    for (const char16_t* wim : {u"D:\\Out\\Image.wim", u"D:\\Out\\Plain.wim"}) {
        const bool unixData = CString(wim) == u"D:\\Out\\Image.wim";
        const CString target = unixData ? u"D:\\Image" : u"D:\\Plain";
        ASSERT_TRUE(CreateDirectoryW(target, nullptr));
        struct stat before, after, file;
        ASSERT_EQ(0, stat(Host(target).c_str(), &before));
        ASSERT_TRUE(Apply(wim, 1, target));
        ASSERT_EQ(0, stat(Host(target).c_str(), &after));
        EXPECT_EQ(before.st_uid, after.st_uid);
        EXPECT_EQ(before.st_gid, after.st_gid);
        EXPECT_EQ(before.st_mode, after.st_mode);
        EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesW(target));

        ASSERT_EQ(0, stat(Host(target + u"\\f.txt").c_str(), &file));
        const uid_t owner = unixData && geteuid() == 0 ? 1234 : geteuid();
        EXPECT_EQ(owner, file.st_uid) << CString(wim);
        EXPECT_EQ(DWORD(unixData ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL), GetFileAttributesW(target + u"\\f.txt"));
    }
}
