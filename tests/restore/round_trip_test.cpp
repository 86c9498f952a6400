// A tree of every kind of file a user has, backed up and restored through the
// exports: what comes back is compared with the source name by name, byte by
// byte, attribute by attribute and time by time. What does not come back is
// what a rule of the system leaves out, and each such rule is checked here.
// Where Linux and Windows differ (case pairs, names that are not UTF-8, mode
// bits and extended attributes are Linux's), the tree holds what the system has.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/xattr.h>
#endif

#include <algorithm>
#include <set>

#include "link_target.h"
#include "restore_fixture.h"

using namespace restoretest;

namespace {

const DWORD kAllBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

struct SourceFile {
    std::string path;  // below C:, '/' between names; bytes as on disk
    std::string content;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
};

// A file time: 1601 ticks of 100 ns.
FILETIME Ticks(ULONGLONG ticks) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

ULONGLONG TicksOf(const FILETIME& time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

WIN32_FILE_ATTRIBUTE_DATA Metadata(const std::string& hostPath) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(WindowsPathOf(hostPath), GetFileExInfoStandard, &data)) << hostPath;
    return data;
}

struct RoundTripTest : RestoreFixture {
    RoundTripTest() : RestoreFixture(QXFM_PROTOCOL_EXTENDED) {}  // the files left out are named
    std::string Source(const std::string& path) const { return drives.Root('C') + "/" + path; }

    // Writes the file, then its time (a different one for each file, old ones
    // and recent ones, all with a part below the second), then its attributes.
    void Write(const SourceFile& file, ULONGLONG ticks) {
        const std::string host = Source(file.path);
        fs::create_directories(fs::path(host).parent_path());
        WriteHostFile(host, file.content);
        const CString win = WindowsPathOf(host);
        HANDLE handle = CreateFileW(win, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE) << file.path;
        const FILETIME time = Ticks(ticks);
        ASSERT_TRUE(SetFileTime(handle, nullptr, nullptr, &time));
        CloseHandle(handle);
        if (file.attributes != FILE_ATTRIBUTE_NORMAL) {
            ASSERT_TRUE(SetFileAttributesW(win, file.attributes)) << file.path;
        }
    }
};

TEST_F(RoundTripTest, EveryFileComesBackAsItWasOrByARuleOfTheSystem) {
    std::string deep = "deep";
    for (int i = 0; i < 10; ++i) deep += "/a rather long folder name";
    std::vector<SourceFile> stored = {
        {"pairs/report.txt", "lower"},
        {"names/caf\xC3\xA9.txt", "composed"},
        {"names/cafe\xCC\x81.txt", "decomposed"},
        {"names/\xE6\x96\x87\xE6\xA1\xA3.txt", "CJK"},
        {"names/\xF0\x9F\x98\x80 smile.txt", "emoji"},
        {"names/\xD9\x85\xD8\xB3\xD8\xAA\xD9\x86\xD8\xAF.txt", "Arabic"},
        {"names/\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xE2\x80\x8F(2).txt", "Hebrew with a right-to-left mark"},
        {"attrs/readonly.txt", "r", FILE_ATTRIBUTE_READONLY},
        {"attrs/hidden.txt", "h", FILE_ATTRIBUTE_HIDDEN},
        {"attrs/system.txt", "s", FILE_ATTRIBUTE_SYSTEM},
        {"attrs/archive.txt", "a", FILE_ATTRIBUTE_ARCHIVE},
        {"attrs/all.txt", "rhsa", kAllBits},
        {"empty/empty.txt", ""},
        {"empty/empty.avi", ""},
        {"video/film.avi", NoiseBytes(2 * kMiB + kMiB / 2, 7), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {deep + "/deep report.txt", "over-length", FILE_ATTRIBUTE_ARCHIVE},
    };
    std::vector<std::string> folders = {"pairs", "names", "attrs", "empty", "video"};
    std::vector<SourceFile> leftOut;  // each named as left out
#ifndef _WIN32
    stored.insert(stored.end(), {{"pairs/Report.txt", "upper"},
                                 {"Pairs/report.txt", "the other folder"},
                                 {"video/FILM.AVI", "small beside the big one", FILE_ATTRIBUTE_READONLY},
                                 {"attrs/mode 0444.txt", "r by mode"},
                                 {"attrs/by xattr.txt", "h and s by user.DOSATTRIB"}});
    folders.push_back("Pairs");
    leftOut.push_back({"names/bad\xFF\xFE.txt", "not UTF-8"});
#endif
    const SourceFile noCategory{"names/notes.xyz", "no category"};
    drives.Write(u"C:\\types.txt", "[Documents]\r\ntxt\r\n[Video]\r\navi\r\n");
    std::vector<CString> chosen;
    ULONGLONG ticks = 0x01A0000012345678ULL;  // 1982, and 0.1 µs above the second
    for (const SourceFile& file : stored) {
        Write(file, ticks);
        ticks += 0x0001200001234567ULL;  // about a year and a half and a fraction of a second on
        chosen.push_back(WindowsPathOf(Source(file.path)));
    }
    for (const SourceFile& file : leftOut) {
        Write(file, ticks);
        chosen.push_back(WindowsPathOf(Source(file.path)));
    }
    Write(noCategory, ticks);
    chosen.push_back(WindowsPathOf(Source(noCategory.path)));
    fs::create_directories(Source("no files"));
#ifndef _WIN32
    ASSERT_EQ(0, chmod(Source("attrs/mode 0444.txt").c_str(), 0444));
    // As the platform keeps them: the text in user.DOSATTRIB, which the sticky bit marks as present.
    ASSERT_EQ(0, setxattr(Source("attrs/by xattr.txt").c_str(), "user.DOSATTRIB", "0x6", 3, 0));
    ASSERT_EQ(0, chmod(Source("attrs/by xattr.txt").c_str(), 01644));
#endif
    ASSERT_GT(WindowsPathOf(Source(deep + "/deep report.txt")).GetLength(), 260);
    for (const std::string& folder : folders) {
        HANDLE handle = CreateFileW(WindowsPathOf(Source(folder)), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE) << folder;
        const FILETIME time = Ticks(ticks += 0x0000001001234567ULL);
        ASSERT_TRUE(SetFileTime(handle, nullptr, nullptr, &time));
        CloseHandle(handle);
    }

    std::vector<CString> categories, imageFiles;
    imageFiles.reserve(8);
    ASSERT_EQ(leftOut.empty() ? 0 : QXFM_BACKUP_FILES_LEFT_OUT,
              module.Backup(host.handle(), &chosen, drives.Path(u"C:\\types.txt"), &categories,
                            drives.Path(u"D:\\Backups\\Monday"), u"Image", TRUE, 1, WIM_COMPRESS_XPRESS, &imageFiles,
                            nullptr));
    const std::vector<std::string> log = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    for (const SourceFile& file : leftOut) {
        const std::string named = "MSG_ERROR_WIM_MSG_ERROR - file: " + WindowsPathOf(Source(file.path)).ToUtf8() +
                                  " ...failed! error code: 1113";
        EXPECT_NE(log.end(), std::find(log.begin(), log.end(), named)) << named;
    }
    host.Drain();
    ASSERT_EQ(0, Restore(u"D:\\Backups\\Monday", {u"Documents", u"Video"}, u"D:\\Restore"));
    const std::string restored = RestoredHostPath(RestoreRootIn(drives.Root('D') + "/Restore"), u"C:\\") + "/";

    // Name by name: every stored file and nothing else, the over-length one as
    // a copy in an exception folder that a shortcut where it was points to.
    std::set<std::string> expected, found, links;
    for (const SourceFile& file : stored) expected.insert(file.path);
    for (const std::string& host : FilesBelow(restored)) {
        std::string path = host.substr(restored.size());
        std::replace(path.begin(), path.end(), '\\', '/');
        if (path.rfind("_Exception", 0) == 0) continue;
        (path.size() > 4 && path.compare(path.size() - 4, 4, ".lnk") == 0 ? links : found).insert(path);
    }
    expected.erase(deep + "/deep report.txt");
    EXPECT_EQ(expected, found);
    ASSERT_EQ(std::set<std::string>{deep + "/deep report.lnk"}, links);
    const std::string copy = drives.Host(CString::FromUtf8(LinkTarget(restored + *links.begin())));
    EXPECT_NE(std::string::npos, copy.find("_Exception1")) << copy;

    // Byte by byte, attribute by attribute, and the last-write time to the
    // 100 ns the image keeps.
    for (const SourceFile& file : stored) {
        const std::string back = file.path.rfind("deep/", 0) == 0 ? copy : restored + file.path;
        EXPECT_EQ(file.content, ReadHostFile(back)) << file.path;
        const WIN32_FILE_ATTRIBUTE_DATA before = Metadata(Source(file.path)), after = Metadata(back);
        EXPECT_EQ(before.dwFileAttributes, after.dwFileAttributes) << file.path;
        EXPECT_EQ(TicksOf(before.ftLastWriteTime), TicksOf(after.ftLastWriteTime)) << file.path;
    }
    for (const std::string& folder : folders)
        EXPECT_EQ(TicksOf(Metadata(Source(folder)).ftLastWriteTime), TicksOf(Metadata(restored + folder).ftLastWriteTime))
            << folder;
#ifndef _WIN32
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY), Metadata(Source("attrs/mode 0444.txt")).dwFileAttributes);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), Metadata(Source("attrs/by xattr.txt")).dwFileAttributes);
#endif

    // The rules: a name that is not UTF-8 is left out (and named, above), a
    // file of no category and a folder with no file of a category are not
    // stored. The sources stay as they were.
    for (const SourceFile& file : leftOut) {
        EXPECT_FALSE(HostExists(restored + file.path));
        EXPECT_EQ(file.content, ReadHostFile(Source(file.path)));
    }
    EXPECT_FALSE(HostExists(restored + noCategory.path));
    EXPECT_FALSE(HostExists(restored + "no files"));
}

}  // namespace
