// What a backup stores: exactly the chosen files (big ones as pieces,
// over-length ones as copies of their own), and what becomes of a split that
// cannot be made.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

#include "backup_host.h"
#include "link_target.h"
#include "catalog/serialization.h"
#include "sample_tree.h"
#include "wimgapi.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

const ULONGLONG kMiB = 1048576;

// "/_Exception1/x.doc" for "C:\_Exception1\x.doc": the image path of a path
// the module gave (a copy at the root of the drive that holds a test drive).
std::string StoredAs(const CString& path) {
    std::string p = path.ToUtf8().substr(2);
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

// A folder's last-write time in 100-ns ticks, read and set through the
// system: the C++ library sets none on a Windows folder.
ULONGLONG FolderTime(const std::string& hostFolder) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(WindowsPathOf(hostFolder), GetFileExInfoStandard, &data)) << hostFolder;
    return (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

void SetFolderTime(const std::string& hostFolder, ULONGLONG ticks) {
    const HANDLE folder = CreateFileW(WindowsPathOf(hostFolder), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, folder) << hostFolder;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    EXPECT_TRUE(SetFileTime(folder, nullptr, nullptr, &time)) << hostFolder;
    CloseHandle(folder);
}

// The part of an over-length path that its exception copy keeps.
CString TailOf(const CString& path) { return path.Mid(path.Left(217).ReverseFind(u'\\') + 1); }

std::string Slashed(const CString& path) {
    std::string text = path.ToUtf8();
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

struct BackupContents : BackupHost {
    BackupContents() : BackupHost(QXFM_PROTOCOL_EXTENDED) {}
    // Host path of an entry at the root of the drive that holds test drive C:,
    // where exception folders are, removed with the test.
    std::string AtDriveRoot(const std::string& name) {
        rootEntries.push_back(std::make_unique<RootEntry>(drives.DriveRootOf('C') + "/" + name));
        return rootEntries.back()->path();
    }
    std::vector<std::unique_ptr<RootEntry>> rootEntries;
    CString Deep(const CString& first, int levels) {
        CString path = first;
        for (int i = 0; i < levels; ++i) path += u"\\a rather long folder name";
        return path;
    }
};

}  // namespace

TEST_F(BackupContents, TheImagesHoldTheChosenFilesAndNothingElseOfTheDrive) {
    SampleTree tree = MakeSampleTree(drives);
    std::vector<CString> chosen;
    for (const SampleFile& f : tree.files)
        if (f.path.Find(P(u"C:\\Users\\ann\\Documents")) == 0 || f.path.Find(P(u"C:\\Users\\ann\\Music")) == 0)
            chosen.push_back(f.path);
    drives.Write(u"C:\\Users\\bob\\bob.doc", "not chosen");
    ASSERT_EQ(0, Backup(chosen, {}, FALSE, 0));

    // Image 1 is (C:, DOCUMENTS), image 2 (C:, MUSIC); no other category has a chosen file.
    std::set<std::string> documents = ImageFiles(1), music = ImageFiles(2);
    CString deep = Deep(u"C:\\Users\\ann\\Documents", 12) + u"\\deep report.doc";
    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(P(kFolder)));
    ASSERT_EQ(1u, catalog.m_OverLengthFileList.size());
    const CString copy = catalog.m_OverLengthFileList.begin()->first;
    EXPECT_EQ(P(deep), catalog.m_OverLengthFileList.begin()->second);
    EXPECT_EQ((std::set<std::string>{InImage(u"C:\\Users\\ann\\Documents\\report.doc"),
                                     InImage(u"C:\\Users\\ann\\Documents\\notes.txt"), StoredAs(copy)}),
              documents);
    EXPECT_EQ((std::set<std::string>{InImage(u"C:\\Users\\ann\\Music\\song.mp3")}), music);
    ASSERT_EQ(1u, catalog.m_arDrive.size());
    EXPECT_EQ((std::vector<int>{1, 2}), catalog.m_arDrive[0].IndexofImage);
}

TEST_F(BackupContents, AWholeDriveScanResultStoresEveryMatchingFileOfTheDrive) {
    SampleTree tree = MakeSampleTree(drives);
    std::vector<CString> categories{u"Documents", u"Pictures"};
    ULONGLONG count = 0;
    ASSERT_EQ(0, module.ScanFileArraySizeByPredefinedType(host.handle(), P(u"C:\\"), tree.typeList, &categories, &count,
                                                          nullptr));
    std::vector<CString> scanned;
    scanned.reserve(count);
    ULONGLONG total = 0;
    ASSERT_EQ(0, module.GetFileArrayByPredefinedType(&scanned, &total));
    ASSERT_EQ(0, Backup(scanned, categories, FALSE, 0));

    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(P(kFolder)));
    std::set<std::string> documents, pictures;
    for (const CString& path : scanned) {
        CString stored = path;
        for (const auto& entry : catalog.m_OverLengthFileList)
            if (entry.second == path) stored = entry.first;
        (path.Right(4) == u".jpg" ? pictures : documents).insert(StoredAs(stored));
    }
    EXPECT_EQ(documents, ImageFiles(1));
    EXPECT_EQ(pictures, ImageFiles(2));
    EXPECT_TRUE(documents.count(InImage(u"C:\\types.txt")));
}

TEST_F(BackupContents, AFileLargerThanThePartSizeLeavesAUsableUnsplitBackup) {
    const CString big = u"C:\\Media\\film.avi";
    drives.Write(big, NoiseBytes(101 * kMiB, 9));
    drives.Write(u"C:\\Media\\small.avi", "small");
    drives.Write(u"C:\\types.txt", "[Video]\r\navi\r\n");
    ASSERT_EQ(QXFM_BACKUP_NOT_SPLIT, Backup({big, u"C:\\Media\\small.avi"}, {}, FALSE, 100, WIM_COMPRESS_NONE));
    auto posted = host.Drain();
    EXPECT_EQ(std::vector<CString>{P(big)}, ErrorTexts(posted, MSG_ERROR_WIM_SPLIT_FAILED));
    EXPECT_TRUE(LogHas("MSG_ERROR_WIM_SPLIT_FAILED - The image stays whole: " + P(big).ToUtf8() +
                       " is larger than the part size"));

    EXPECT_EQ(std::vector<CString>{P(kFolderSlash + u"Image.wim")}, imageFiles);
    EXPECT_EQ(0, module.IsDataValid(P(kFolder)));
    EXPECT_EQ((std::set<std::string>{InImage(big), InImage(u"C:\\Media\\small.avi")}), ImageFiles(1));
    ASSERT_EQ(0, Restore({u"VIDEO"}, u"D:\\Restore"));
    EXPECT_EQ(1u, FilesBelow(drives.Root('D') + "/Restore", "film.avi").size());
}

TEST_F(BackupContents, ATakenPieceNameLeavesAUsableUnsplitBackupNamingIt) {
    const CString big = u"C:\\Media\\film.avi";
    const CString users = u"C:\\Media\\film.avi.001";
    drives.Write(big, NoiseBytes(101 * kMiB, 9));
    drives.Write(users, "the user's own file");
    drives.Write(u"C:\\types.txt", "[Video]\r\navi\r\n");
    ASSERT_EQ(QXFM_BACKUP_NOT_SPLIT, Backup({big}, {}, TRUE, 100, WIM_COMPRESS_NONE));
    auto posted = host.Drain();
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_BIGFILES_SPLIT_FAILED));
    EXPECT_EQ(std::vector<CString>{P(users)}, ErrorTexts(posted, MSG_ERROR_WIM_SPLIT_FAILED));
    EXPECT_EQ(std::vector<CString>{P(kFolderSlash + u"Image.wim")}, imageFiles);
    EXPECT_EQ(0, module.IsDataValid(P(kFolder)));
    EXPECT_EQ("the user's own file", ReadHostFile(drives.Host(users)));
    EXPECT_FALSE(HostExists(drives.Host(u"C:\\Media\\film.avi.000")));
}

#ifndef _WIN32
// A big file whose name the image cannot hold (not UTF-8, a Linux name): its
// pieces are left out, the file is named once, and the result also carries
// the split that failed.
TEST_F(BackupContents, ABigFileTheImageCannotHoldIsNamedOnceBesideAnUnsplitImage) {
    WriteHostFile(drives.Root('C') + "/Media/bad\xff.avi", NoiseBytes(101 * kMiB, 3));
    const CString bad = CString::FromUtf8("C:\\Media\\bad\xff.avi");
    const CString big = u"C:\\Media\\film.avi";
    const CString users = u"C:\\Media\\film.avi.001";
    drives.Write(big, NoiseBytes(101 * kMiB, 9));
    drives.Write(users, "the user's own file");
    drives.Write(u"C:\\types.txt", "[Video]\r\navi\r\n");
    ASSERT_EQ(QXFM_BACKUP_NOT_SPLIT | QXFM_BACKUP_FILES_LEFT_OUT,
              Backup({bad, big}, {}, TRUE, 100, WIM_COMPRESS_NONE));
    auto posted = host.Drain();
    EXPECT_EQ(std::vector<CString>{bad}, ErrorTexts(posted, MSG_ERROR_WIM_MSG_ERROR));
    EXPECT_EQ(std::vector<CString>{users}, ErrorTexts(posted, MSG_ERROR_WIM_SPLIT_FAILED));
    EXPECT_EQ((std::set<std::string>{"/Media/film.avi"}), ImageFiles(1));
    const std::vector<CString> lines = ReadUtf16Lines(drives.Host(kFolderSlash + u"SourceFileList.log"));
    EXPECT_EQ(lines.end(), std::find_if(lines.begin(), lines.end(), [](const CString& l) { return l.Find(u"BAD") >= 0; }));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/Media/bad\xff.avi.000"));
}
#endif

// An over-length file whose exception folder is a file goes to the next plain
// one; and it cannot enter an image without its copy: when no copy can be made
// it is named and counted as left out, and the rest is backed up.
TEST_F(BackupContents, AnOverLengthFileThatCannotBeCopiedAsideIsNamedAndCounted) {
    const CString deep = Deep(u"C:\\a", 9) + u"\\report.doc";
    drives.Write(deep, "deep");
    const std::string usersFile = AtDriveRoot("_Exception1");
    WriteHostFile(usersFile, "the user's file, not a folder");
    drives.Write(u"C:\\docs\\good.doc", "good");
    drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\n");
    ASSERT_EQ(0, Backup({deep, u"C:\\docs\\good.doc"}, {}, FALSE, 0));
    EXPECT_EQ(2u, ImageFiles(1).size());
    EXPECT_TRUE(ImageFiles(1).count("/_Exception3/" + Slashed(TailOf(P(deep))))) << *ImageFiles(1).begin();

    for (int n = 3; n <= 99; ++n) WriteHostFile(AtDriveRoot("_Exception" + std::to_string(n)), "");
    ASSERT_EQ(QXFM_BACKUP_FILES_LEFT_OUT, Backup({deep, u"C:\\docs\\good.doc"}, {}, FALSE, 0));
    const std::vector<Posted> posted = host.Drain();
    EXPECT_EQ(std::vector<CString>{P(deep)}, ErrorTexts(posted, MSG_ERROR_COPYDATA_CANNOT_FIND));
    // Nor can it enter the catalog under its copy's name: -244 right after -239.
    const std::vector<long long> codes = Codes(posted, host.errorStr);
    const auto notCopied = std::find(codes.begin(), codes.end(), MSG_ERROR_COPYDATA_CANNOT_FIND);
    ASSERT_LT(notCopied + 1, codes.end());
    EXPECT_EQ(MSG_ERROR_SERIALIZATION_FAILED, *(notCopied + 1));
    EXPECT_EQ((std::set<std::string>{InImage(u"C:\\docs\\good.doc")}), ImageFiles(1));
    EXPECT_EQ("the user's file, not a folder", ReadHostFile(usersFile));
}

TEST_F(BackupContents, ExceptionCopiesNeverReplaceAFileAndEachOverLengthFileGetsItsOwn) {
    // Two over-length files whose tails are the same, and a user's file where the first copy would go.
    const CString a = Deep(u"C:\\a", 8) + u"\\common\\f.txt", b = Deep(u"C:\\b", 8) + u"\\common\\f.txt";
    drives.Write(a, "first");
    drives.Write(b, "second");
    const CString tail = TailOf(P(a));
    ASSERT_EQ(tail, TailOf(P(b)));
    // The same Windows path in both builds: the root of the drive holding C:'s files.
    const CString occupied = u"C:\\_Exception1\\" + tail;
    const std::string exception1 = AtDriveRoot("_Exception1"), occupiedHost = exception1 + "/" + Slashed(tail);
    WriteHostFile(occupiedHost, "the user's file");
    drives.Write(u"C:\\types.txt", "[Documents]\r\ntxt\r\n");
    const std::string driveRoot = drives.DriveRootOf('C');
    const ULONGLONG rootTime = FolderTime(driveRoot);

    ASSERT_EQ(0, Backup({a, b}, {}, FALSE, 0));
    EXPECT_EQ("the user's file", ReadHostFile(occupiedHost));
    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(P(kFolder)));
    ASSERT_EQ(2u, catalog.m_OverLengthFileList.size());
    std::set<std::string> expected;
    for (const auto& entry : catalog.m_OverLengthFileList) {
        EXPECT_NE(occupied, entry.first);
        expected.insert(StoredAs(entry.first));
    }
    std::set<std::string> stored = ImageFiles(1);
    EXPECT_EQ(expected, stored);
    // The copies are gone; the folder that held a user's file stays, the one the backup made goes.
    EXPECT_EQ(std::vector<std::string>{occupiedHost}, FilesBelow(exception1));

    // Each restored file comes back with its own content.
    ASSERT_EQ(0, Restore({u"DOCUMENTS"}, u"D:\\Restore"));
    std::multiset<std::string> restored;
    for (const std::string& file : FilesBelow(drives.Root('D') + "/Restore", ".txt")) restored.insert(ReadHostFile(file));
    EXPECT_EQ((std::multiset<std::string>{"first", "second"}), restored);

    // A drive root the backup added folders to gets its time back when they go.
    ASSERT_TRUE(RemoveHostTree(exception1));
    SetFolderTime(driveRoot, rootTime);
    ASSERT_EQ(0, Backup({a}, {}, FALSE, 0));
    EXPECT_FALSE(HostExists(exception1));
    EXPECT_EQ(rootTime, FolderTime(driveRoot));
}

TEST_F(BackupContents, PiecesGoAndTheirFolderGetsItsTimeBack) {
    const CString big = u"C:\\Media\\film.avi";
    drives.Write(big, NoiseBytes(3 * kMiB, 9));
    drives.Write(u"C:\\types.txt", "[Video]\r\navi\r\n");
    const std::string media = drives.Root('C') + "/Media";
    const ULONGLONG dayBefore = FolderTime(media) - 24ULL * 3600 * 10000000;
    SetFolderTime(media, dayBefore);
    ASSERT_EQ(0, Backup({big}, {}, TRUE, 1, WIM_COMPRESS_NONE));
    const std::string pieces = InImage(big);
    EXPECT_EQ((std::set<std::string>{pieces + ".000", pieces + ".001", pieces + ".002", pieces + ".003"}),
              ImageFiles(1));
    EXPECT_EQ(std::vector<std::string>{drives.Root('C') + "/Media/film.avi"}, FilesBelow(drives.Root('C') + "/Media"));
    EXPECT_EQ(dayBefore, FolderTime(media));
}

TEST_F(BackupContents, NamesThatDifferOnlyInCaseAreDifferentFiles) {
    drives.Write(u"C:\\types.txt", "[Documents]\r\ntxt\r\n[Video]\r\navi\r\n");
    drives.Write(u"C:\\v\\movie.avi", NoiseBytes(2 * kMiB + 1, 1));
    if (HostExists(drives.Host(u"C:\\v\\MOVIE.AVI"))) GTEST_SKIP() << kOneCase;
    drives.Write(u"C:\\v\\MOVIE.AVI", "small");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\v\\MOVIE.AVI", FILE_ATTRIBUTE_HIDDEN));
    drives.Write(u"C:\\v\\big.avi", NoiseBytes(2 * kMiB + 2, 2));
    drives.Write(u"C:\\v\\BIG.AVI", NoiseBytes(2 * kMiB + 3, 3));
    const CString lower = Deep(u"C:\\d", 9) + u"\\report.txt", upper = Deep(u"C:\\d", 9) + u"\\Report.txt";
    drives.Write(lower, "lower");
    drives.Write(upper, "upper");
    ASSERT_EQ(0, Backup({u"C:\\v\\movie.avi", u"C:\\v\\MOVIE.AVI", u"C:\\v\\big.avi", u"C:\\v\\BIG.AVI", lower, upper},
                        {}, TRUE, 1, WIM_COMPRESS_NONE));
    auto errors = Codes(host.Drain(), host.errorStr);
    EXPECT_EQ(errors.end(), std::find(errors.begin(), errors.end(), MSG_ERROR_BIGFILES_SPLIT_FAILED));

    CQXSerialization catalog;
    ASSERT_TRUE(catalog.Load(P(kFolder)));
    EXPECT_EQ(3u, catalog.m_arBigFile.size());
    ASSERT_EQ(2u, catalog.m_OverLengthFileList.size());
    std::set<std::string> documents = ImageFiles(1), video = ImageFiles(2);
    for (const auto& entry : catalog.m_OverLengthFileList) EXPECT_TRUE(documents.count(StoredAs(entry.first)));
    EXPECT_TRUE(video.count("/v/MOVIE.AVI"));
    EXPECT_TRUE(video.count("/v/movie.avi.002"));
    EXPECT_TRUE(video.count("/v/big.avi.002"));
    EXPECT_TRUE(video.count("/v/BIG.AVI.002"));
    EXPECT_FALSE(video.count("/v/movie.avi"));

    // Both files of every pair come back: the big and small ones in place, each
    // over-length one as a copy that a shortcut of its own points to.
    ASSERT_EQ(0, Restore({u"DOCUMENTS", u"VIDEO"}, u"D:\\Restore"));
    const std::string restored = RestoredPath(u"C:\\");
    for (const char* name : {"movie.avi", "MOVIE.AVI", "big.avi", "BIG.AVI"})
        EXPECT_EQ(ReadHostFile(drives.Root('C') + "/v/" + name), ReadHostFile(restored + "/v/" + name)) << name;
    EXPECT_EQ(4u, FilesBelow(restored + "/v").size());
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_HIDDEN), GetFileAttributesW(WindowsPathOf(restored + "/v/MOVIE.AVI")));
    const std::vector<std::string> links = FilesBelow(restored, ".lnk");
    ASSERT_EQ(2u, links.size());
    std::set<std::string> contents;
    for (const std::string& link : links) {
        const std::string target = drives.Host(CString::FromUtf8(LinkTarget(link)));
        const bool lowerName = fs::path(link).filename().string().rfind("report", 0) == 0;
        EXPECT_EQ(lowerName ? "lower" : "upper", ReadHostFile(target)) << link;
        contents.insert(ReadHostFile(target));
    }
    EXPECT_EQ(2u, contents.size());
}

// The debug log of the running backup, kept among the chosen files, is no
// other writer's lock: it is stored, and the backup succeeds.
TEST_F(BackupContents, TheDebugLogItWritesIsStoredLikeAnyChosenFile) {
    drives.Write(u"C:\\types.txt", "[Logs]\r\nlog\r\n");
    drives.Write(u"C:\\work\\Dbg.log", "");
    drives.Write(u"C:\\work\\other.log", "other");
    module.SetDebugLogFileName(P(u"C:\\work\\Dbg.log"));
    const int result = Backup({u"C:\\work\\Dbg.log", u"C:\\work\\other.log"}, {u"Logs"}, FALSE, 0);
    module.SetDebugLogFileName(u"Dbg.log");
    ASSERT_EQ(0, result);
    EXPECT_EQ((std::set<std::string>{InImage(u"C:\\work\\Dbg.log"), InImage(u"C:\\work\\other.log")}), ImageFiles(1));
}
