// The WIMGAPI layer over wimlib: real image files, the messages of capture,
// apply and split, and the last-error values of failures.
#include "wimgapi_fixture.h"

using namespace wimtest;

TEST_F(WimgapiFixture, CaptureAppendAndApplyWriteRealImageFiles) {
    recorder.skipText = u"\\Skip";
    const CString wim = P(u"D:\\Out\\Image.wim");
    CreateDirectoryW(P(u"D:\\Out"), nullptr);
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, P(u"C:\\")));

    // Every item below the root is announced once with its Windows path; the root is not.
    std::vector<CString> announced = recorder.Paths(WIM_MSG_PROCESS);
    std::sort(announced.begin(), announced.end());
    std::vector<CString> expected = {P(u"C:\\Docs"), P(u"C:\\Docs\\Sub"), P(u"C:\\Docs\\Sub\\b.doc"),
                                     P(u"C:\\Docs\\a.txt"), P(u"C:\\Skip"), P(u"C:\\top.bin")};
    EXPECT_EQ(expected, announced);
    std::vector<unsigned long long> percents = recorder.Values(WIM_MSG_PROGRESS);
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(100u, percents.back());
    // The folder that was not taken is left out with everything below it.
    std::string listing = ListingOf(Host(wim), 1);
    EXPECT_NE(std::string::npos, listing.find("/Docs/Sub/b.doc")) << listing;
    EXPECT_EQ(std::string::npos, listing.find("Skip")) << listing;

    // A second capture appends image 2 and leaves image 1 as it was.
    drives.Write(P(u"C:\\Docs\\later.txt"), "added later\n");
    recorder.skipText = u"\\Docs\\Sub";
    ASSERT_TRUE(Capture(wim, WIM_OPEN_EXISTING, P(u"C:\\Docs")));
    WIM_INFO info = InfoOf(wim);
    EXPECT_EQ(2u, info.ImageCount);
    EXPECT_EQ(1, info.TotalParts);
    EXPECT_EQ(static_cast<DWORD>(WIM_COMPRESS_XPRESS), info.CompressionType);
    EXPECT_EQ(2, ImageCountOf(Host(wim)));
    EXPECT_TRUE(Verifies(Host(wim)));

    recorder.messages.clear();
    ASSERT_TRUE(Apply(wim, 1, P(u"D:\\One")));
    EXPECT_EQ(std::string(NoiseBytes(200000, 1)), ReadHostFile(Host(P(u"D:\\One\\Docs\\Sub\\b.doc"))));
    EXPECT_EQ("alpha\n", ReadHostFile(Host(P(u"D:\\One\\Docs\\a.txt"))));
    EXPECT_FALSE(HostExists(drives.Root('D') + "/One/Docs/later.txt"));
    EXPECT_FALSE(HostExists(drives.Root('D') + "/One/Skip"));
    std::vector<CString> applied = recorder.Paths(WIM_MSG_PROCESS);
    EXPECT_NE(applied.end(), std::find(applied.begin(), applied.end(), CString(P(u"D:\\One\\Docs\\Sub\\b.doc"))));
    EXPECT_EQ(100u, recorder.Values(WIM_MSG_PROGRESS).back());

    ASSERT_TRUE(Apply(wim, 2, P(u"D:\\Two")));
    EXPECT_EQ("added later\n", ReadHostFile(Host(P(u"D:\\Two\\later.txt"))));
    EXPECT_FALSE(HostExists(drives.Root('D') + "/Two/Sub"));
}

TEST_F(WimgapiFixture, CompressionTypesZeroToThreeAreWrittenAndBadOnesRefused) {
    for (DWORD type : {WIM_COMPRESS_NONE, WIM_COMPRESS_XPRESS, WIM_COMPRESS_LZX, WIM_COMPRESS_LZMS}) {
        CString wim;
        wim.Format(u"D:\\c%u.wim", type);
        wim = P(wim);
        ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, P(u"C:\\Docs"), type)) << type;
        EXPECT_EQ(type, InfoOf(wim).CompressionType);
        EXPECT_TRUE(Verifies(Host(wim))) << type;
    }
    EXPECT_EQ(nullptr, WIMCreateFile(P(u"D:\\c9.wim"), WIM_GENERIC_WRITE, WIM_CREATE_ALWAYS, 0, 9, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(HostExists(drives.Root('D') + "/c9.wim"));
}

TEST_F(WimgapiFixture, AbortWhileScanningFailsTheCaptureAndKeepsEarlierImages) {
    const CString wim = P(u"D:\\Image.wim");
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, P(u"C:\\Docs")));
    recorder.abortOn = WIM_MSG_PROCESS;
    recorder.abortAfter = 2;
    DWORD error = 0;
    EXPECT_FALSE(Capture(wim, WIM_OPEN_EXISTING, P(u"C:\\"), WIM_COMPRESS_XPRESS, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_REQUEST_ABORTED), error);
    EXPECT_EQ(1u, InfoOf(wim).ImageCount);
    EXPECT_TRUE(Verifies(Host(wim)));
}

TEST_F(WimgapiFixture, AbortWhileWritingFailsTheAppendAndKeepsEarlierImages) {
    const CString wim = P(u"D:\\Image.wim");
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, P(u"C:\\Docs")));
    const std::string before = ReadHostFile(Host(wim));
    recorder.abortOn = WIM_MSG_PROGRESS;
    recorder.abortAfter = 1;
    // The images are written when the file handle closes, so that is where the write is aborted.
    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_WRITE, WIM_OPEN_EXISTING, 0, 0, nullptr);
    ASSERT_NE(nullptr, file);
    HANDLE image = WIMCaptureImage(file, P(u"C:\\"), 0);
    ASSERT_NE(nullptr, image);
    EXPECT_TRUE(WIMCloseHandle(image));
    EXPECT_FALSE(WIMCloseHandle(file));
    EXPECT_EQ(static_cast<DWORD>(ERROR_REQUEST_ABORTED), GetLastError());
    EXPECT_EQ(before, ReadHostFile(Host(wim)));
    recorder.abortOn = 0;
    EXPECT_TRUE(Verifies(Host(wim)));
    EXPECT_TRUE(Apply(wim, 1, P(u"D:\\Back")));
    EXPECT_EQ("alpha\n", ReadHostFile(Host(P(u"D:\\Back\\a.txt"))));
}

TEST_F(WimgapiFixture, AbortWhileApplyingFailsTheApply) {
    const CString wim = P(u"D:\\Image.wim");
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, P(u"C:\\")));
    recorder.abortOn = WIM_MSG_PROCESS;
    recorder.abortAfter = 1;
    DWORD error = 0;
    EXPECT_FALSE(Apply(wim, 1, P(u"D:\\Out"), {}, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_REQUEST_ABORTED), error);
}

// As Windows' own engine does, an apply cancelled while it writes the files'
// data keeps the files it made: they stand under their names unfinished, told
// from finished ones only by their stored size and last-write time.
TEST_F(WimgapiFixture, AnApplyCancelledWhileWritingKeepsTheFilesItMade) {
    const CString wim = P(u"D:\\Image.wim");
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, P(u"C:\\"), WIM_COMPRESS_NONE));
    recorder.messages.clear();
    recorder.abortOn = WIM_MSG_PROGRESS;
    recorder.abortAfter = 2;  // once the data is being written
    DWORD error = 0;
    EXPECT_FALSE(Apply(wim, 1, P(u"D:\\Out"), {}, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_REQUEST_ABORTED), error);
    const std::string out = Host(P(u"D:\\Out"));
    const std::vector<std::string> made = FilesBelow(out);
    EXPECT_TRUE(std::any_of(made.begin(), made.end(), [&](const std::string& file) {
        return ReadHostFile(file) != ReadHostFile(drives.Root('C') + file.substr(out.size()));
    }));
    EXPECT_TRUE(recorder.Paths(WIM_MSG_ERROR).empty());
}

TEST_F(WimgapiFixture, SplitWritesNumberedPartsThatApplyWithReferences) {
    for (unsigned i = 0; i < 6; ++i) {
        CString name;
        name.Format(u"C:\\Data\\f%u.bin", i);
        drives.Write(name, NoiseBytes(150000, 10 + i));
    }
    const CString wim = P(u"D:\\Set\\Image.wim");
    CreateDirectoryW(P(u"D:\\Set"), nullptr);
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, P(u"C:\\Data"), WIM_COMPRESS_NONE));
    recorder.messages.clear();

    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    ASSERT_NE(nullptr, file);
    LARGE_INTEGER size;
    size.QuadPart = 400000;
    ASSERT_TRUE(WIMSplitFile(file, P(u"D:\\Set\\Image.swm"), &size, 0));
    WIMCloseHandle(file);

    std::vector<CString> parts = recorder.Paths(WIM_MSG_SPLIT);
    ASSERT_GE(parts.size(), 3u);
    EXPECT_EQ(CString(P(u"D:\\Set\\Image.swm")), parts[0]);
    EXPECT_EQ(CString(P(u"D:\\Set\\Image2.swm")), parts[1]);
    EXPECT_EQ(CString(P(u"D:\\Set\\Image3.swm")), parts[2]);
    std::vector<unsigned long long> sizes = recorder.Values(WIM_MSG_SPLIT);
    for (size_t i = 0; i < parts.size(); ++i)
        EXPECT_EQ(ReadHostFile(Host(parts[i])).size(), sizes[i]) << parts[i].ToUtf8();
    WIM_INFO info = InfoOf(parts[0]);
    EXPECT_EQ(parts.size(), info.TotalParts);
    EXPECT_EQ(1, info.PartNumber);

    std::vector<CString> refs(parts.begin() + 1, parts.end());
    ASSERT_TRUE(Apply(parts[0], 1, P(u"D:\\Restored"), refs));
    for (unsigned i = 0; i < 6; ++i) {
        CString name;
        name.Format(u"D:\\Restored\\f%u.bin", i);
        EXPECT_EQ(NoiseBytes(150000, 10 + i), ReadHostFile(Host(name)));
    }
    // Without the other parts the data is missing and the apply fails.
    DWORD error = 0;
    EXPECT_FALSE(Apply(parts[0], 1, P(u"D:\\Partial"), {}, &error));
    EXPECT_NE(0u, error);
    EXPECT_TRUE(Verifies(Host(parts[0]), Host(P(u"D:\\Set\\Image*.swm"))));
}

TEST_F(WimgapiFixture, SplitSmallerThanTheLargestFileWritesNothing) {
    const CString wim = P(u"D:\\Image.wim");
    ASSERT_TRUE(Capture(wim, WIM_CREATE_ALWAYS, P(u"C:\\"), WIM_COMPRESS_NONE));
    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    ASSERT_NE(nullptr, file);
    LARGE_INTEGER size;
    size.QuadPart = 250000;  // top.bin holds 300000 bytes
    EXPECT_FALSE(WIMSplitFile(file, P(u"D:\\Image.swm"), &size, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError());
    EXPECT_EQ(300000, size.QuadPart);
    WIMCloseHandle(file);
    EXPECT_FALSE(HostExists(drives.Root('D') + "/Image.swm"));
    EXPECT_TRUE(recorder.Paths(WIM_MSG_SPLIT).empty());
}

// The UNIX data of an image brings back modes and DOS bits, and owners where

// the process may set them; the target folder keeps its own, whatever the

// image's root holds, and an image without UNIX data applies as well.
