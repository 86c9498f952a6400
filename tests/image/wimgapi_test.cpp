// The WIMGAPI layer over wimlib: real image files, the messages of capture,
// apply and split, and the last-error values of failures.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "qxplatform.h"
#include "sample_tree.h"
#include "tmpfs_mount.h"
#include "wim_test_util.h"

using namespace qxtest;
using namespace wimtest;

namespace {

struct WimgapiFixture : ::testing::Test {
    TestDrives drives{{"C", "D"}};
    Recorder recorder;
    RecorderRegistration registration{recorder};

    void SetUp() override {
        drives.Write(u"C:\\Docs\\a.txt", "alpha\n");
        drives.Write(u"C:\\Docs\\Sub\\b.doc", NoiseBytes(200000, 1));
        drives.Write(u"C:\\Skip\\hidden.txt", "never captured\n");
        drives.Write(u"C:\\top.bin", NoiseBytes(300000, 2));
    }

    std::string Host(const CString& path) const { return drives.Host(path); }

    // One capture of source into the image file, handles closed afterwards.
    bool Capture(const CString& wim, DWORD disposition, const CString& source, DWORD compression = WIM_COMPRESS_XPRESS,
                 DWORD* error = nullptr) {
        HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ | WIM_GENERIC_WRITE, disposition, 0, compression, nullptr);
        if (!file) {
            if (error) *error = GetLastError();
            return false;
        }
        HANDLE image = WIMCaptureImage(file, source, 0);
        if (error) *error = GetLastError();
        if (image) {
            EXPECT_TRUE(WIMCloseHandle(image));
        }
        EXPECT_TRUE(WIMCloseHandle(file));
        return image != nullptr;
    }

    bool Apply(const CString& wim, DWORD index, const CString& target, const std::vector<CString>& refs = {},
               DWORD* error = nullptr) {
        HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
        if (!file) return false;
        for (const CString& ref : refs) EXPECT_TRUE(WIMSetReferenceFile(file, ref, WIM_REFERENCE_APPEND));
        HANDLE image = WIMLoadImage(file, index);
        BOOL ok = image && WIMApplyImage(image, target, 0);
        if (error) *error = GetLastError();
        if (image) WIMCloseHandle(image);
        WIMCloseHandle(file);
        return ok;
    }
};

WIM_INFO InfoOf(const CString& wim) {
    WIM_INFO info{};
    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    EXPECT_NE(nullptr, file);
    if (file) {
        EXPECT_TRUE(WIMGetAttributes(file, &info, sizeof info));
        WIMCloseHandle(file);
    }
    return info;
}

}  // namespace

TEST_F(WimgapiFixture, CaptureAppendAndApplyWriteRealImageFiles) {
    recorder.skipText = u"\\Skip";
    const CString wim = u"D:\\Out\\Image.wim";
    CreateDirectoryW(u"D:\\Out", nullptr);
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, u"C:\\"));

    // Every item below the root is announced once with its Windows path; the root is not.
    std::vector<CString> announced = recorder.Paths(WIM_MSG_PROCESS);
    std::sort(announced.begin(), announced.end());
    std::vector<CString> expected = {u"C:\\Docs", u"C:\\Docs\\Sub", u"C:\\Docs\\Sub\\b.doc", u"C:\\Docs\\a.txt",
                                     u"C:\\Skip", u"C:\\top.bin"};
    EXPECT_EQ(expected, announced);
    // The folder that was not taken is left out with everything below it.
    std::string listing = ListingOf(Host(wim), 1);
    EXPECT_NE(std::string::npos, listing.find("/Docs/Sub/b.doc")) << listing;
    EXPECT_EQ(std::string::npos, listing.find("Skip")) << listing;
    std::vector<unsigned long long> percents = recorder.Values(WIM_MSG_PROGRESS);
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(100u, percents.back());

    // A second capture appends image 2 and leaves image 1 as it was.
    drives.Write(u"C:\\Docs\\later.txt", "added later\n");
    recorder.skipText = u"\\Docs\\Sub";
    ASSERT_TRUE(Capture(wim, WIM_OPEN_EXISTING, u"C:\\Docs"));
    WIM_INFO info = InfoOf(wim);
    EXPECT_EQ(2u, info.ImageCount);
    EXPECT_EQ(1, info.TotalParts);
    EXPECT_EQ(static_cast<DWORD>(WIM_COMPRESS_XPRESS), info.CompressionType);
    EXPECT_EQ(2, ImageCountOf(Host(wim)));
    EXPECT_TRUE(Verifies(Host(wim)));

    recorder.messages.clear();
    ASSERT_TRUE(Apply(wim, 1, u"D:\\One"));
    EXPECT_EQ(std::string(NoiseBytes(200000, 1)), ReadHostFile(Host(u"D:\\One\\Docs\\Sub\\b.doc")));
    EXPECT_EQ("alpha\n", ReadHostFile(Host(u"D:\\One\\Docs\\a.txt")));
    EXPECT_FALSE(HostExists(drives.Root('D') + "/One/Docs/later.txt"));
    EXPECT_FALSE(HostExists(drives.Root('D') + "/One/Skip"));
    std::vector<CString> applied = recorder.Paths(WIM_MSG_PROCESS);
    EXPECT_NE(applied.end(), std::find(applied.begin(), applied.end(), CString(u"D:\\One\\Docs\\Sub\\b.doc")));
    EXPECT_EQ(100u, recorder.Values(WIM_MSG_PROGRESS).back());

    ASSERT_TRUE(Apply(wim, 2, u"D:\\Two"));
    EXPECT_EQ("added later\n", ReadHostFile(Host(u"D:\\Two\\later.txt")));
    EXPECT_FALSE(HostExists(drives.Root('D') + "/Two/Sub"));
}

TEST_F(WimgapiFixture, CompressionTypesZeroToThreeAreWrittenAndBadOnesRefused) {
    for (DWORD type : {WIM_COMPRESS_NONE, WIM_COMPRESS_XPRESS, WIM_COMPRESS_LZX, WIM_COMPRESS_LZMS}) {
        CString wim;
        wim.Format(u"D:\\c%u.wim", type);
        ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, u"C:\\Docs", type)) << type;
        EXPECT_EQ(type, InfoOf(wim).CompressionType);
        EXPECT_TRUE(Verifies(Host(wim))) << type;
    }
    EXPECT_EQ(nullptr, WIMCreateFile(u"D:\\c9.wim", WIM_GENERIC_WRITE, WIM_CREATE_ALWAYS, 0, 9, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(HostExists(drives.Root('D') + "/c9.wim"));
}

TEST_F(WimgapiFixture, AbortWhileScanningFailsTheCaptureAndKeepsEarlierImages) {
    const CString wim = u"D:\\Image.wim";
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, u"C:\\Docs"));
    recorder.abortOn = WIM_MSG_PROCESS;
    recorder.abortAfter = 2;
    DWORD error = 0;
    EXPECT_FALSE(Capture(wim, WIM_OPEN_EXISTING, u"C:\\", WIM_COMPRESS_XPRESS, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_REQUEST_ABORTED), error);
    EXPECT_EQ(1u, InfoOf(wim).ImageCount);
    EXPECT_TRUE(Verifies(Host(wim)));
}

TEST_F(WimgapiFixture, AbortWhileWritingFailsTheAppendAndKeepsEarlierImages) {
    const CString wim = u"D:\\Image.wim";
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, u"C:\\Docs"));
    recorder.abortOn = WIM_MSG_PROGRESS;
    recorder.abortAfter = 1;
    DWORD error = 0;
    EXPECT_FALSE(Capture(wim, WIM_OPEN_EXISTING, u"C:\\", WIM_COMPRESS_XPRESS, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_REQUEST_ABORTED), error);
    EXPECT_EQ(1u, InfoOf(wim).ImageCount);
    EXPECT_TRUE(Verifies(Host(wim)));
    recorder.abortOn = 0;
    EXPECT_TRUE(Apply(wim, 1, u"D:\\Back"));
    EXPECT_EQ("alpha\n", ReadHostFile(Host(u"D:\\Back\\a.txt")));
}

TEST_F(WimgapiFixture, AbortWhileApplyingFailsTheApply) {
    const CString wim = u"D:\\Image.wim";
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, u"C:\\"));
    recorder.abortOn = WIM_MSG_PROCESS;
    recorder.abortAfter = 1;
    DWORD error = 0;
    EXPECT_FALSE(Apply(wim, 1, u"D:\\Out", {}, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_REQUEST_ABORTED), error);
}

TEST_F(WimgapiFixture, SplitWritesNumberedPartsThatApplyWithReferences) {
    for (unsigned i = 0; i < 6; ++i) {
        CString name;
        name.Format(u"C:\\Data\\f%u.bin", i);
        drives.Write(name, NoiseBytes(150000, 10 + i));
    }
    const CString wim = u"D:\\Set\\Image.wim";
    CreateDirectoryW(u"D:\\Set", nullptr);
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, u"C:\\Data", WIM_COMPRESS_NONE));
    recorder.messages.clear();

    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    ASSERT_NE(nullptr, file);
    LARGE_INTEGER size;
    size.QuadPart = 400000;
    ASSERT_TRUE(WIMSplitFile(file, u"D:\\Set\\Image.swm", &size, 0));
    WIMCloseHandle(file);

    std::vector<CString> parts = recorder.Paths(WIM_MSG_SPLIT);
    ASSERT_GE(parts.size(), 3u);
    EXPECT_EQ(CString(u"D:\\Set\\Image.swm"), parts[0]);
    EXPECT_EQ(CString(u"D:\\Set\\Image2.swm"), parts[1]);
    EXPECT_EQ(CString(u"D:\\Set\\Image3.swm"), parts[2]);
    std::vector<unsigned long long> sizes = recorder.Values(WIM_MSG_SPLIT);
    for (size_t i = 0; i < parts.size(); ++i)
        EXPECT_EQ(ReadHostFile(Host(parts[i])).size(), sizes[i]) << parts[i].ToUtf8();
    WIM_INFO info = InfoOf(parts[0]);
    EXPECT_EQ(parts.size(), info.TotalParts);
    EXPECT_EQ(1, info.PartNumber);

    std::vector<CString> refs(parts.begin() + 1, parts.end());
    ASSERT_TRUE(Apply(parts[0], 1, u"D:\\Restored", refs));
    for (unsigned i = 0; i < 6; ++i) {
        CString name;
        name.Format(u"D:\\Restored\\f%u.bin", i);
        EXPECT_EQ(NoiseBytes(150000, 10 + i), ReadHostFile(Host(name)));
    }
    // Without the other parts the data is missing and the apply fails.
    DWORD error = 0;
    EXPECT_FALSE(Apply(parts[0], 1, u"D:\\Partial", {}, &error));
    EXPECT_NE(0u, error);
    EXPECT_TRUE(Verifies(Host(parts[0]), Host(u"D:\\Set\\Image*.swm")));
}

TEST_F(WimgapiFixture, SplitSmallerThanTheLargestFileWritesNothing) {
    const CString wim = u"D:\\Image.wim";
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, u"C:\\", WIM_COMPRESS_NONE));
    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    ASSERT_NE(nullptr, file);
    LARGE_INTEGER size;
    size.QuadPart = 250000;  // top.bin holds 300000 bytes
    EXPECT_FALSE(WIMSplitFile(file, u"D:\\Image.swm", &size, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError());
    EXPECT_EQ(300000, size.QuadPart);
    WIMCloseHandle(file);
    EXPECT_FALSE(HostExists(drives.Root('D') + "/Image.swm"));
    EXPECT_TRUE(recorder.Paths(WIM_MSG_SPLIT).empty());
}

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
    std::vector<CString> announced = recorder.Paths(WIM_MSG_PROCESS);
    EXPECT_EQ(announced.end(), std::find(announced.begin(), announced.end(), CString(u"C:\\Inner")));
    std::string listing = ListingOf(Host(u"D:\\Image.wim"), 1);
    EXPECT_EQ(std::string::npos, listing.find("Inner")) << listing;
    EXPECT_NE(std::string::npos, listing.find("/Docs/a.txt")) << listing;
}

TEST_F(WimgapiFixture, AFileSystemMountedBelowTheSourceIsNeitherOfferedNorCaptured) {
    drives.Write(u"C:\\Docs\\Mounted\\under.txt", "below the mount point\n");
    TmpfsMount tmpfs(Host(u"C:\\Docs\\Mounted"), "64k");
    if (!tmpfs.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    drives.Write(u"C:\\Docs\\Mounted\\other.txt", "on the mounted file system\n");
    ASSERT_TRUE(Capture(u"D:\\Image.wim", WIM_CREATE_ALWAYS, u"C:\\"));
    std::vector<CString> announced = recorder.Paths(WIM_MSG_PROCESS);
    EXPECT_EQ(announced.end(), std::find(announced.begin(), announced.end(), CString(u"C:\\Docs\\Mounted")));
    EXPECT_NE(announced.end(), std::find(announced.begin(), announced.end(), CString(u"C:\\Docs\\a.txt")));
    std::string listing = ListingOf(Host(u"D:\\Image.wim"), 1);
    EXPECT_EQ(std::string::npos, listing.find("Mounted")) << listing;
    EXPECT_NE(std::string::npos, listing.find("/Docs/a.txt")) << listing;
}

// The UNIX data of an image brings back modes and DOS bits, and owners where
// the process may set them; the target folder keeps its own, whatever the
// image's root holds, and an image without UNIX data applies as well.
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
