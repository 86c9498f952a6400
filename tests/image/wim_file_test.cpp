// CWimFile with WimMessageCallback as Backup and Restore use them: which files
// enter an image, cancellation, locked files, progress, split parts, apply.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>

#include "services/file_utils.h"
#include "services/state.h"
#include "image/capture_context.h"
#include "image/wim_file.h"
#include "sample_tree.h"
#include "wim_test_util.h"

using namespace qxtest;
using namespace wimtest;

namespace {

struct ProgressPost {
    long long percent, phase;
};

struct WimFileFixture : ::testing::Test {
    TestDrives drives{{"C", "D"}};
    HostWindow host;
    CaptureContext capture;  // the callback's user data

    void SetUp() override {
        g_arExclusionList.clear();
        g_pfnContinue = nullptr;
        g_pHostWnd = host.handle();
        g_nOperation = OP_BACKUP;
        CreateDirectoryW(u"D:\\B", nullptr);
    }
    void TearDown() override {
        g_pHostWnd = nullptr;
        g_pfnContinue = nullptr;
        g_arExclusionList.clear();
    }

    // Some of the engine's texts end in a line break of their own, so the log is searched as a whole.
    bool Logged(const std::string& text) const {
        return ReadHostFile(drives.WorkDir() + "/Dbg.log").find(text) != std::string::npos;
    }
    std::vector<ProgressPost> Progress(const std::vector<Posted>& posted) const {
        std::vector<ProgressPost> out;
        for (const Posted& p : posted)
            if (p.message == host.progressInt) out.push_back({p.wParam, p.lParam});
        return out;
    }
    std::vector<CString> PostedPaths(const std::vector<Posted>& posted) const {
        std::vector<CString> out;
        for (const Posted& p : posted)
            if (p.message == host.progressStr) out.push_back(p.text);
        return out;
    }
};

void WriteUserTree(const TestDrives& drives) {
    drives.Write(u"C:\\Users\\ann\\Documents\\report.doc", "quarterly\n");
    drives.Write(u"C:\\Users\\ann\\Documents\\notes.txt", "not wanted\n");
    drives.Write(u"C:\\Users\\ann\\Documents\\Old\\draft.DOCX", "draft text\n");
    drives.Write(u"C:\\Users\\ann\\Pictures\\beach.jpg", "jpeg bytes");
    drives.Write(u"C:\\Windows\\system.doc", "excluded\n");
    drives.Write(u"C:\\readme", "no extension\n");
}

// The files a backup chose: what its capture takes, with the folders on the way.
TakenItems Chosen(std::initializer_list<const char16_t*> files) {
    TakenItems items;
    for (const char16_t* file : files) items.Add(file, TakenItems::Kind::File, GetFileSize64(file));
    return items;
}

bool Contains(const std::vector<CString>& lines, const CString& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

TEST_F(WimFileFixture, BackupCaptureTakesTheChosenFilesTheirFoldersAndNothingElse) {
    WriteUserTree(drives);
    drives.Write(u"C:\\Users\\ann\\Documents\\Old\\other.doc", "not chosen\n");
    const TakenItems chosen = Chosen({u"C:\\Users\\ann\\Documents\\report.doc",
                                      u"c:\\Users\\ann\\Documents\\Old\\draft.DOCX"});
    capture.taken = &chosen;
    capture.extensions = {u"DOC*"};
    capture.stepCount = 2;
    capture.overallCapturePercent = 50;
    capture.listLog.Reset(u"[DOCUMENTS]");
    {
        CWimFile wim(WIM_COMPRESS_XPRESS, WimMessageCallback, &capture);
        ASSERT_TRUE(wim.Capture(u"C:\\", u"D:\\B\\Image.wim", WIM_CREATE_ALWAYS));
        ASSERT_TRUE(wim.WriteCaptures());
    }
    const std::string wimHost = drives.Host(u"D:\\B\\Image.wim");
    std::string listing = ListingOf(wimHost, 1);
    EXPECT_NE(std::string::npos, listing.find("/Users/ann/Documents/report.doc")) << listing;
    EXPECT_NE(std::string::npos, listing.find("/Users/ann/Documents/Old/draft.DOCX")) << listing;
    EXPECT_EQ(std::string::npos, listing.find("notes.txt")) << listing;
    EXPECT_EQ(std::string::npos, listing.find("other.doc")) << listing;
    EXPECT_EQ(std::string::npos, listing.find("Pictures")) << listing;
    EXPECT_EQ(std::string::npos, listing.find("system.doc")) << listing;
    EXPECT_EQ(std::string::npos, listing.find("readme")) << listing;
    EXPECT_TRUE(Verifies(wimHost));

    std::vector<CString>& lines = capture.listLog.lines();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(CString(u"[DOCUMENTS]"), lines[0]);
    auto report = std::find(lines.begin(), lines.end(), CString(u"C:\\USERS\\ANN\\DOCUMENTS\\REPORT.DOC"));
    ASSERT_NE(lines.end(), report);
    EXPECT_EQ(CString(u"File Size : 10 bytes"), *(report + 1));
    EXPECT_TRUE(Contains(lines, u"C:\\USERS\\ANN\\DOCUMENTS\\OLD\\DRAFT.DOCX"));
    EXPECT_EQ(21u, capture.categoryBytes);

    auto posted = host.Drain();
    std::vector<CString> taken = PostedPaths(posted);
    EXPECT_EQ(2u, taken.size());
    EXPECT_TRUE(Contains(taken, u"C:\\Users\\ann\\Documents\\report.doc"));
    // The image's percent is scaled into the operation's: 50 + percent / 2.
    std::vector<ProgressPost> progress = Progress(posted);
    ASSERT_FALSE(progress.empty());
    for (const ProgressPost& p : progress) {
        EXPECT_EQ(PHASE_CAPTURE, p.phase);
        EXPECT_GE(p.percent, 50);
    }
    EXPECT_EQ(100, progress.back().percent);

    // A second image appended to the same file takes the same files.
    capture.overallCapturePercent = 0;
    {
        CWimFile wim(WIM_COMPRESS_XPRESS, WimMessageCallback, &capture);
        ASSERT_TRUE(wim.Capture(u"C:\\", u"D:\\B\\Image.wim", WIM_OPEN_EXISTING));
        ASSERT_TRUE(wim.WriteCaptures());
    }
    EXPECT_EQ(2, ImageCountOf(wimHost));
    EXPECT_NE(std::string::npos, ListingOf(wimHost, 2).find("/Users/ann/Documents/report.doc"));
    EXPECT_TRUE(Verifies(wimHost));

    // Images captured but never written leave the file as it was.
    const std::string before = ReadHostFile(wimHost);
    {
        CWimFile wim(WIM_COMPRESS_XPRESS, WimMessageCallback, &capture);
        ASSERT_TRUE(wim.Capture(u"C:\\", u"D:\\B\\Image.wim", WIM_OPEN_EXISTING));
        ASSERT_TRUE(wim.Capture(u"C:\\Users", u"D:\\B\\Image.wim", WIM_OPEN_EXISTING));
    }
    EXPECT_EQ(before, ReadHostFile(wimHost));
}

TEST_F(WimFileFixture, BigFilesEnterTheirCategoryImageAsPiecesOnly) {
    drives.Write(u"C:\\Videos\\film.avi", "whole file");
    drives.Write(u"C:\\Videos\\film.avi.000", "whole ");
    drives.Write(u"C:\\Videos\\film.avi.001", "file");
    TakenItems chosen;
    chosen.Add(u"C:\\Videos\\film.avi", TakenItems::Kind::BigFile);
    chosen.Add(u"C:\\Videos\\film.avi.000", TakenItems::Kind::Piece);
    chosen.Add(u"C:\\Videos\\film.avi.001", TakenItems::Kind::Piece);
    capture.taken = &chosen;
    capture.extensions = {u"AVI"};
    capture.listLog.Reset(u"[Video]");
    CWimFile wim(WIM_COMPRESS_NONE, WimMessageCallback, &capture);
    ASSERT_TRUE(wim.Capture(u"C:\\", u"D:\\B\\Image.wim", WIM_CREATE_ALWAYS));
    ASSERT_TRUE(wim.WriteCaptures());
    std::string listing = ListingOf(drives.Host(u"D:\\B\\Image.wim"), 1);
    EXPECT_NE(std::string::npos, listing.find("/Videos/film.avi.000")) << listing;
    EXPECT_NE(std::string::npos, listing.find("/Videos/film.avi.001")) << listing;
    EXPECT_EQ(std::string::npos, listing.find("film.avi\n")) << listing;
    // The list names the user's file, not its pieces.
    EXPECT_TRUE(Contains(capture.listLog.lines(), u"C:\\VIDEOS\\FILM.AVI"));
    EXPECT_EQ(3u, capture.listLog.lines().size());
}

TEST_F(WimFileFixture, FileLockedByAnotherProcessAbortsTheCaptureWith235) {
    drives.Write(u"C:\\Docs\\busy.doc", "being written\n");
    int ready[2], release[2];
    ASSERT_EQ(0, pipe(ready));
    ASSERT_EQ(0, pipe(release));
    pid_t child = fork();
    if (child == 0) {
        HANDLE h = CreateFileW(u"C:\\Docs\\busy.doc", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        char c = h != INVALID_HANDLE_VALUE ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1) _exit(1);
        if (read(release[0], &c, 1) < 0) _exit(1);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        _exit(0);
    }
    char state = 0;
    ASSERT_EQ(1, read(ready[0], &state, 1));
    ASSERT_EQ('y', state);

    const TakenItems chosen = Chosen({u"C:\\Docs\\busy.doc"});
    capture.taken = &chosen;
    capture.listLog.Reset(u"[DOCUMENTS]");
    bool result;
    {
        CWimFile wim(WIM_COMPRESS_XPRESS, WimMessageCallback, &capture);
        result = wim.Capture(u"C:\\", u"D:\\B\\Image.wim", WIM_CREATE_ALWAYS);
    }
    char go = 'g';
    EXPECT_EQ(1, write(release[1], &go, 1));
    waitpid(child, nullptr, 0);

    EXPECT_FALSE(result);
    // -235 with the error code as lParam, as documented; the debug log names the file.
    auto posted = host.Drain();
    std::vector<Posted> errors;
    std::copy_if(posted.begin(), posted.end(), std::back_inserter(errors),
                 [&](const Posted& p) { return p.message == host.errorStr; });
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(MSG_ERROR_WIM_MSG_ERROR, errors[0].wParam);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, errors[0].lParam);
    EXPECT_TRUE(Logged("MSG_ERROR_WIM_MSG_ERROR - file: C:\\DOCS\\BUSY.DOC ...failed! error code: 32"));
    EXPECT_TRUE(Logged("1235, Cannot capture/append image"));
    EXPECT_FALSE(Contains(capture.listLog.lines(), u"C:\\DOCS\\BUSY.DOC"));
}

TEST_F(WimFileFixture, CancellationStopsTheCaptureSilently) {
    WriteUserTree(drives);
    const TakenItems chosen = Chosen({u"C:\\Users\\ann\\Documents\\report.doc"});
    capture.taken = &chosen;
    ContinueCounter::Reset(3);
    g_pfnContinue = ContinueCounter::Continue;
    CWimFile wim(WIM_COMPRESS_XPRESS, WimMessageCallback, &capture);
    EXPECT_FALSE(wim.Capture(u"C:\\", u"D:\\B\\Image.wim", WIM_CREATE_ALWAYS));
    EXPECT_TRUE(Codes(host.Drain(), host.errorStr).empty());
    EXPECT_TRUE(Logged("1235, Cannot capture/append image"));
}

TEST_F(WimFileFixture, RestoreApplyTakesEveryItemAndListsTheWantedOnes) {
    WriteUserTree(drives);
    const TakenItems chosen = Chosen({u"C:\\Users\\ann\\Documents\\report.doc",
                                      u"C:\\Users\\ann\\Documents\\notes.txt",
                                      u"C:\\Users\\ann\\Documents\\Old\\draft.DOCX",
                                      u"C:\\Users\\ann\\Pictures\\beach.jpg"});
    capture.taken = &chosen;
    {
        CWimFile wim(WIM_COMPRESS_XPRESS, WimMessageCallback, &capture);
        ASSERT_TRUE(wim.Capture(u"C:\\Users", u"D:\\B\\Image.wim", WIM_CREATE_ALWAYS));
        ASSERT_TRUE(wim.WriteCaptures());
    }
    host.Drain();
    g_nOperation = OP_RESTORE;
    capture = CaptureContext();
    capture.extensions = {u"DOC"};
    capture.stepCount = 1;
    capture.listLog.Reset(u"[documents]");
    CreateDirectoryW(u"D:\\R", nullptr);
    CreateDirectoryW(u"D:\\R\\C", nullptr);
    CWimFile wim(WIM_COMPRESS_XPRESS, WimMessageCallback, &capture);
    ASSERT_TRUE(wim.Apply(u"D:\\B\\Image.wim", u"D:\\R\\C", 1, 0, u"D:\\", false, nullptr));
    EXPECT_EQ(1u, wim.AppliedFileImageCount());
    EXPECT_EQ("quarterly\n", ReadHostFile(drives.Host(u"D:\\R\\C\\ann\\Documents\\report.doc")));
    EXPECT_EQ("jpeg bytes", ReadHostFile(drives.Host(u"D:\\R\\C\\ann\\Pictures\\beach.jpg")));

    std::vector<CString> expectedList = {u"[documents]", u"D:\\R\\C\\ANN\\DOCUMENTS\\REPORT.DOC"};
    EXPECT_EQ(expectedList, capture.listLog.lines());
    auto posted = host.Drain();
    std::vector<CString> items = PostedPaths(posted);
    EXPECT_TRUE(Contains(items, u"D:\\R\\C\\ann\\Pictures\\beach.jpg"));
    EXPECT_TRUE(Contains(items, u"D:\\R\\C\\ann\\Documents\\Old"));
    EXPECT_EQ(8u, items.size());  // ann, Documents, 3 files there with Old, draft, Pictures, beach.jpg
    std::vector<ProgressPost> progress = Progress(posted);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(PHASE_APPLY, progress.back().phase);
    EXPECT_EQ(100, progress.back().percent);
}

TEST_F(WimFileFixture, SplitCollectsThePartNamesAndAppliesFromTheParts) {
    for (unsigned i = 0; i < 5; ++i) {
        CString name;
        name.Format(u"C:\\Data\\clip%u.mov", i);
        drives.Write(name, NoiseBytes(150000, i));
    }
    const TakenItems chosen = Chosen({u"C:\\Data\\clip0.mov", u"C:\\Data\\clip1.mov", u"C:\\Data\\clip2.mov",
                                      u"C:\\Data\\clip3.mov", u"C:\\Data\\clip4.mov"});
    capture.taken = &chosen;
    const CString wimPath = u"D:\\B\\Image.wim";
    {
        CWimFile wim(WIM_COMPRESS_NONE, WimMessageCallback, &capture);
        ASSERT_TRUE(wim.Capture(u"C:\\", wimPath, WIM_CREATE_ALWAYS));
        ASSERT_TRUE(wim.WriteCaptures());
    }
    host.Drain();
    capture.splitTotal = GetFileSize64(wimPath);
    capture.splitTemplate = u"D:\\B\\Image.swm";
    capture.imageFiles = {wimPath};
    {
        CWimFile wim(WIM_COMPRESS_NONE, WimMessageCallback, &capture);
        ASSERT_TRUE(wim.Split(wimPath, 400000));
    }
    EXPECT_FALSE(HostExists(drives.Host(wimPath)));
    const std::vector<CString>& parts = capture.imageFiles;
    ASSERT_GE(parts.size(), 2u);
    EXPECT_EQ(CString(u"D:\\B\\Image.swm"), parts[0]);
    EXPECT_EQ(CString(u"D:\\B\\Image2.swm"), parts[1]);
    for (const CString& part : parts) EXPECT_TRUE(HostExists(drives.Host(part))) << part.ToUtf8();
    EXPECT_TRUE(capture.splitTemplate.IsEmpty());
    EXPECT_TRUE(Logged("Split start!"));
    EXPECT_TRUE(Logged("Split successfully!"));
    EXPECT_TRUE(Logged("WIM_MSG_SPLIT - now splitting file: D:\\B\\Image2.swm"));
    auto posted = host.Drain();
    std::vector<ProgressPost> progress = Progress(posted);
    // Each part's share of the image file being split, up to 100.
    ASSERT_EQ(parts.size(), progress.size());
    for (const ProgressPost& p : progress) EXPECT_EQ(PHASE_SPLIT, p.phase);
    EXPECT_GT(progress.front().percent, 0);
    EXPECT_LT(progress.front().percent, 100);
    for (size_t i = 1; i < progress.size(); ++i) EXPECT_GE(progress[i].percent, progress[i - 1].percent);
    EXPECT_EQ(100, progress.back().percent);

    // Restore from the parts: the first is applied, the others are references.
    g_nOperation = OP_RESTORE;
    std::vector<CString> references(parts.begin() + 1, parts.end());
    CWimFile wim(WIM_COMPRESS_XPRESS, WimMessageCallback, &capture);
    CreateDirectoryW(u"D:\\R", nullptr);
    ASSERT_TRUE(wim.Apply(parts[0], u"D:\\R", 1, 0, u"D:\\", true, &references));
    for (unsigned i = 0; i < 5; ++i) {
        CString name;
        name.Format(u"D:\\R\\Data\\clip%u.mov", i);
        EXPECT_EQ(NoiseBytes(150000, i), ReadHostFile(drives.Host(name)));
    }
    EXPECT_TRUE(Logged("Success, refName= D:\\B\\Image2.swm"));

    // A part set is not split again.
    EXPECT_FALSE(wim.Split(parts[0], 400000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_TRUE(Logged("The .wim file has already been splitted. Cannot split it again."));
}

TEST_F(WimFileFixture, SplitTooSmallKeepsTheImageFile) {
    drives.Write(u"C:\\Data\\clip.mov", NoiseBytes(300000, 7));
    const TakenItems chosen = Chosen({u"C:\\Data\\clip.mov"});
    capture.taken = &chosen;
    const CString wimPath = u"D:\\B\\Image.wim";
    CWimFile wim(WIM_COMPRESS_NONE, WimMessageCallback, &capture);
    ASSERT_TRUE(wim.Capture(u"C:\\", wimPath, WIM_CREATE_ALWAYS));
    ASSERT_TRUE(wim.WriteCaptures());
    EXPECT_FALSE(wim.Split(wimPath, 200000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError());
    EXPECT_TRUE(Logged("Split failed."));
    EXPECT_TRUE(Logged("Need bigger chunk size to split."));
    EXPECT_TRUE(HostExists(drives.Host(wimPath)));
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\B\\Image.swm")));
}

TEST_F(WimFileFixture, ApplyFailuresAreLoggedAndHandlesClosed) {
    drives.Write(u"C:\\Data\\a.doc", "a\n");
    const TakenItems chosen = Chosen({u"C:\\Data\\a.doc"});
    capture.taken = &chosen;
    CWimFile wim(WIM_COMPRESS_XPRESS, WimMessageCallback, &capture);
    ASSERT_TRUE(wim.Capture(u"C:\\", u"D:\\B\\Image.wim", WIM_CREATE_ALWAYS));
    ASSERT_TRUE(wim.WriteCaptures());
    g_nOperation = OP_RESTORE;
    EXPECT_FALSE(wim.Apply(u"D:\\B\\Missing.wim", u"D:\\R", 1, 0, u"D:\\", false, nullptr));
    EXPECT_TRUE(Logged("Failure, Cannot open D:\\B\\Missing.wim file"));
    EXPECT_FALSE(wim.Apply(u"D:\\B\\Image.wim", u"D:\\R", 5, 3, u"D:\\", false, nullptr));
    EXPECT_TRUE(Logged("Failure, There is no index 5 in the WIM file"));
    // With fallback 0 the count test passes and loading fails.
    EXPECT_FALSE(wim.Apply(u"D:\\B\\Image.wim", u"D:\\R", 5, 0, u"D:\\", false, nullptr));
    EXPECT_TRUE(Logged("Failure, Can not load imagex 5 from src WIM file"));
    EXPECT_FALSE(wim.Apply(u"D:\\B\\Image.wim", u"D:\\R", 1, 0, u"D:\\nowhere", false, nullptr));
    EXPECT_TRUE(Logged("Failure, Can not set temp path to work in"));
    // A fallback number that exists is used when the first does not load.
    EXPECT_TRUE(wim.Apply(u"D:\\B\\Image.wim", u"D:\\R", 5, 1, u"D:\\", false, nullptr));
    EXPECT_EQ("a\n", ReadHostFile(drives.Host(u"D:\\R\\Data\\a.doc")));
}

TEST_F(WimFileFixture, CallbackRulesOnSingleMessages) {
    // Progress with no steps keeps the last overall percent; a cancel leaves lParam alone.
    capture.overallPercent = 42;
    EXPECT_EQ(WIM_MSG_SUCCESS, WimMessageCallback(WIM_MSG_PROGRESS, 70, 0, &capture));
    capture.stepCount = 3;
    capture.overallCapturePercent = 33;
    EXPECT_EQ(WIM_MSG_SUCCESS, WimMessageCallback(WIM_MSG_PROGRESS, 60, 0, &capture));
    EXPECT_EQ(53u, capture.overallPercent);
    ContinueCounter::Reset(1);
    g_pfnContinue = ContinueCounter::Continue;
    EXPECT_EQ(WIM_MSG_ABORT_IMAGE, WimMessageCallback(WIM_MSG_PROGRESS, 90, 12345, &capture));
    BOOL take = TRUE;
    ContinueCounter::Reset(1);
    EXPECT_EQ(WIM_MSG_ABORT_IMAGE,
              WimMessageCallback(WIM_MSG_PROCESS, reinterpret_cast<WPARAM>(u"C:\\x.doc"), reinterpret_cast<LPARAM>(&take),
                                 &capture));
    EXPECT_FALSE(take);
    g_pfnContinue = nullptr;
    std::vector<long long> percents;
    for (const ProgressPost& p : Progress(host.Drain())) percents.push_back(p.percent);
    EXPECT_EQ((std::vector<long long>{42, 53}), percents);

    // The chosen files and their folders, named exactly: another letter case is another file.
    drives.Write(u"C:\\m\\a.mp4", "");
    drives.Write(u"C:\\m\\b.MP3", "");
    drives.Write(u"C:\\m\\B.mp3", "");
    drives.Write(u"C:\\m\\d.m", "");
    const TakenItems chosen = Chosen({u"C:\\m\\a.mp4", u"C:\\m\\b.MP3"});
    capture.taken = &chosen;
    auto takes = [this](const WCHAR* path) {
        BOOL flag = TRUE;
        WimMessageCallback(WIM_MSG_PROCESS, reinterpret_cast<WPARAM>(path), reinterpret_cast<LPARAM>(&flag), &capture);
        return flag != FALSE;
    };
    EXPECT_TRUE(takes(u"C:\\m\\a.mp4"));
    EXPECT_TRUE(takes(u"C:\\m\\b.MP3"));
    EXPECT_FALSE(takes(u"C:\\m\\B.mp3"));
    EXPECT_FALSE(takes(u"C:\\M\\A.MP4"));
    EXPECT_FALSE(takes(u"C:\\m\\d.m"));
    EXPECT_TRUE(takes(u"C:\\m"));
    EXPECT_FALSE(takes(u"C:\\M"));

    // Split progress with no split total is 100; unknown messages do nothing.
    capture.imageFiles = {u"D:\\B\\Image.wim"};
    PWSTR part = const_cast<PWSTR>(u"D:\\B\\Image2.swm");
    ULONGLONG size = 10;
    EXPECT_EQ(WIM_MSG_SUCCESS, WimMessageCallback(WIM_MSG_SPLIT, reinterpret_cast<WPARAM>(&part),
                                                  reinterpret_cast<LPARAM>(&size), &capture));
    EXPECT_EQ(10u, capture.splitProgress);
    std::vector<ProgressPost> split = Progress(host.Drain());
    ASSERT_EQ(1u, split.size());
    EXPECT_EQ(100, split[0].percent);
    EXPECT_EQ(WIM_MSG_SUCCESS, WimMessageCallback(WIM_MSG_COMPRESS, 1, 2, &capture));
    EXPECT_TRUE(host.Drain().empty());

    // Without a context as user data an item keeps WIMGAPI's decision and nothing is posted.
    BOOL untouched = TRUE;
    EXPECT_EQ(WIM_MSG_SUCCESS, WimMessageCallback(WIM_MSG_PROCESS, reinterpret_cast<WPARAM>(u"C:\\m\\d.m"),
                                                  reinterpret_cast<LPARAM>(&untouched), nullptr));
    EXPECT_TRUE(untouched);
    EXPECT_TRUE(host.Drain().empty());
}
