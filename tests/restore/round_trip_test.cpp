// A tree of every kind of file a user has, backed up and restored through the
// exports: what comes back is compared with the source name by name, byte by
// byte, attribute by attribute and time by time. What does not come back is
// what a rule of the system leaves out, and each such rule is checked here.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <set>

#include "link_target.h"
#include "qxplatform.h"
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
    EXPECT_TRUE(GetFileAttributesExW(QxFromHostPath(hostPath), GetFileExInfoStandard, &data)) << hostPath;
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
        const CString win = QxFromHostPath(host);
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
    const std::vector<SourceFile> stored = {
        {"pairs/report.txt", "lower"},
        {"pairs/Report.txt", "upper"},
        {"Pairs/report.txt", "the other folder"},
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
        {"attrs/mode 0444.txt", "r by mode"},
        {"attrs/by xattr.txt", "h and s by user.DOSATTRIB"},
        {"empty/empty.txt", ""},
        {"empty/empty.avi", ""},
        {"video/film.avi", NoiseBytes(2 * kMiB + kMiB / 2, 7), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {"video/FILM.AVI", "small beside the big one", FILE_ATTRIBUTE_READONLY},
        {deep + "/deep report.txt", "over-length", FILE_ATTRIBUTE_ARCHIVE},
    };
    const SourceFile notUtf8{"names/bad\xFF\xFE.txt", "not UTF-8"}, noCategory{"names/notes.xyz", "no category"};
    drives.Write(u"C:\\types.txt", "[Documents]\r\ntxt\r\n[Video]\r\navi\r\n");
    std::vector<CString> chosen;
    ULONGLONG ticks = 0x01A0000012345678ULL;  // 1982, and 0.1 µs above the second
    for (const SourceFile& file : stored) {
        Write(file, ticks);
        ticks += 0x0001200001234567ULL;  // about a year and a half and a fraction of a second on
        chosen.push_back(QxFromHostPath(Source(file.path)));
    }
    Write(notUtf8, ticks);
    Write(noCategory, ticks);
    chosen.push_back(QxFromHostPath(Source(notUtf8.path)));
    chosen.push_back(QxFromHostPath(Source(noCategory.path)));
    fs::create_directories(Source("no files"));
    ASSERT_EQ(0, chmod(Source("attrs/mode 0444.txt").c_str(), 0444));
    // As the platform keeps them: the text in user.DOSATTRIB, which the sticky bit marks as present.
    ASSERT_EQ(0, setxattr(Source("attrs/by xattr.txt").c_str(), "user.DOSATTRIB", "0x6", 3, 0));
    ASSERT_EQ(0, chmod(Source("attrs/by xattr.txt").c_str(), 01644));
    ASSERT_GT(QxFromHostPath(Source(deep + "/deep report.txt")).GetLength(), 260);
    const std::vector<std::string> folders = {"pairs", "Pairs", "names", "attrs", "empty", "video"};
    for (const std::string& folder : folders) {
        HANDLE handle = CreateFileW(QxFromHostPath(Source(folder)), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE) << folder;
        const FILETIME time = Ticks(ticks += 0x0000001001234567ULL);
        ASSERT_TRUE(SetFileTime(handle, nullptr, nullptr, &time));
        CloseHandle(handle);
    }

    std::vector<CString> categories, imageFiles;
    imageFiles.reserve(8);
    ASSERT_EQ(QXFM_BACKUP_FILES_LEFT_OUT, module.Backup(host.handle(), &chosen, u"C:\\types.txt", &categories, u"D:\\Backups\\Monday", u"Image",
                               TRUE, 1, WIM_COMPRESS_XPRESS, &imageFiles, nullptr));
    const std::vector<std::string> log = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    const std::string named = "MSG_ERROR_WIM_MSG_ERROR - file: C:\\names\\bad\xFF\xFE.txt ...failed! error code: 1113";
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), named));
    host.Drain();
    std::vector<CString> all{u"Documents", u"Video"};
    ASSERT_EQ(0, module.Restore(host.handle(), u"D:\\Backups\\Monday", &all, u"D:\\Restore", nullptr));

    const std::string restored = [&] {
        std::vector<std::string> roots;
        for (const auto& e : fs::directory_iterator(drives.Root('D') + "/Restore/System Recovery Files"))
            roots.push_back(e.path().string());
        EXPECT_EQ(1u, roots.size());
        return roots.at(0) + "/C/";
    }();

    // Name by name: every stored file and nothing else, the over-length one as
    // a copy in an exception folder that a shortcut where it was points to.
    std::set<std::string> expected, found, links;
    for (const SourceFile& file : stored) expected.insert(file.path);
    for (const std::string& host : FilesBelow(restored)) {
        const std::string path = host.substr(restored.size());
        if (path.rfind("_Exception", 0) == 0) continue;
        (path.size() > 4 && path.compare(path.size() - 4, 4, ".lnk") == 0 ? links : found).insert(path);
    }
    expected.erase(deep + "/deep report.txt");
    EXPECT_EQ(expected, found);
    ASSERT_EQ(std::set<std::string>{deep + "/deep report.lnk"}, links);
    const std::string copy = drives.Host(CString::FromUtf8(LinkTarget(restored + *links.begin())));
    EXPECT_NE(std::string::npos, copy.find("/_Exception1/")) << copy;

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
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY), Metadata(Source("attrs/mode 0444.txt")).dwFileAttributes);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), Metadata(Source("attrs/by xattr.txt")).dwFileAttributes);

    // The rules: a name that is not UTF-8 is left out (and named, above), a
    // file of no category and a folder with no file of a category are not
    // stored. The sources stay as they were.
    EXPECT_FALSE(HostExists(restored + notUtf8.path));
    EXPECT_FALSE(HostExists(restored + noCategory.path));
    EXPECT_FALSE(HostExists(restored + "no files"));
    EXPECT_EQ(notUtf8.content, ReadHostFile(Source(notUtf8.path)));
}

}  // namespace
