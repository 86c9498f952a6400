// Names the image or the system cannot hold (not valid UTF-8, or with a
// character no path can hold): the file is left out and named, the rest of
// the backup completes and restores. Such names are Linux's; a listed name
// holding a wildcard is met on Windows too.
#include <gtest/gtest.h>

#include <algorithm>

#include "testhost.h"

using namespace qxtest;

namespace {

const char kBadName[] = "bad\xff\xfe name.doc";

std::vector<CString> Sorted(std::vector<CString> paths) {
    std::sort(paths.begin(), paths.end(), [](const CString& a, const CString& b) { return a.Compare(b) < 0; });
    return paths;
}

// Drives C: and D:, a type list of documents and one good document.
class OddNames : public ::testing::Test {
protected:
    OddNames() : drives({"C", "D"}) {
        drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\n");
        drives.Write(u"C:\\docs\\good.doc", "good");
    }
    // The files -235 names, in order.
    std::vector<CString> LeftOut(const std::vector<Posted>& posted) const {
        std::vector<CString> named;
        for (const Posted& p : posted)
            if (p.message == host.errorStr && p.wParam == MSG_ERROR_WIM_MSG_ERROR) named.push_back(p.text);
        return named;
    }
    // What a scan of C:\docs lists, sorted, with its total size.
    std::vector<CString> Scan(ULONGLONG* total) {
        ULONGLONG count = 0;
        EXPECT_EQ(0, module.ScanFileArraySizeByPredefinedType(host.handle(), drives.Path(u"C:\\docs"), drives.Path(u"C:\\types.txt"),
                                                              &categories, &count, nullptr));
        std::vector<CString> files;
        files.reserve(static_cast<size_t>(count));
        EXPECT_EQ(0, module.GetFileArrayByPredefinedType(&files, total));
        host.Drain();
        return Sorted(files);
    }
    int Backup(std::vector<CString> files) {
        std::vector<CString> imageFiles;
        imageFiles.reserve(4);
        for (CString& file : files) file = drives.Path(file);
        return module.Backup(host.handle(), &files, drives.Path(u"C:\\types.txt"), &categories, drives.Path(u"D:\\B"),
                             u"Image", FALSE, 0, 0, &imageFiles, nullptr);
    }
    // A file's line in the source list: its path, upper-cased.
    CString Listed(const CString& drivePath) const {
        CString path = drives.Path(drivePath);
        path.MakeUpper();
        return path;
    }
    // The listed paths of the backup's SourceFileList.log.
    std::vector<CString> ListLog() const { return ReadUtf16Lines(drives.Host(u"D:\\B\\SourceFileList.log")); }
    // The restored documents: only the good one came back.
    void ExpectOnlyTheGoodFileRestores() {
        ASSERT_EQ(0, module.Restore(host.handle(), drives.Path(u"D:\\B"), &categories, drives.Path(u"D:\\R"), nullptr));
        const std::vector<std::string> restored = FilesBelow(drives.Root('D') + "/R", ".doc");
        ASSERT_EQ(1u, restored.size());
        EXPECT_EQ("good", ReadHostFile(restored[0]));
    }

    TestDrives drives;
    Module module{QXFM_PROTOCOL_EXTENDED};  // the files left out are named
    HostWindow host;
    std::vector<CString> categories = {u"Documents"};
};

bool Lists(const std::vector<CString>& lines, const CString& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

#ifndef _WIN32
TEST_F(OddNames, ANameThatIsNotUtf8IsLeftOutNamedAndTheRestIsBackedUp) {
    WriteHostFile(drives.Root('C') + "/docs/" + kBadName, "bad");

    // The scan names the real file: its path converts back to the bytes on disk.
    ULONGLONG total = 0;
    const std::vector<CString> files = Scan(&total);
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ(std::string("C:\\docs\\") + kBadName, files[0].ToUtf8());
    EXPECT_EQ(7u, total);

    ASSERT_EQ(QXFM_BACKUP_FILES_LEFT_OUT, Backup(files));
    const std::vector<Posted> posted = host.Drain();
    EXPECT_TRUE(HasCode(posted, host.errorStr, ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(std::vector<CString>{files[0]}, LeftOut(posted));
    EXPECT_EQ(MSG_OPERATION_BACKUP_END, Codes(posted, host.operationStr).back());
    const std::vector<std::string> log = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    const std::string named = std::string("MSG_ERROR_WIM_MSG_ERROR - file: C:\\docs\\") + kBadName +
                              " ...failed! error code: 1113";
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), named));
    const std::vector<CString> lines = ListLog();
    EXPECT_TRUE(Lists(lines, Listed(u"C:\\docs\\good.doc")));
    EXPECT_EQ(lines.end(), std::find_if(lines.begin(), lines.end(), [](const CString& l) { return l.Find(u"BAD") >= 0; }));

    ExpectOnlyTheGoodFileRestores();
    EXPECT_EQ("bad", ReadHostFile(drives.Root('C') + "/docs/" + kBadName));
}

// A folder whose name the image cannot hold is left out with what is below
// it: each of the backup's files there is named, none is listed, and the
// backup of the rest completes.
TEST_F(OddNames, AFolderThatCannotEnterTheImageNamesEveryFileBelowIt) {
    const std::string badFolder = drives.Root('C') + "/docs/" + kBadName;
    WriteHostFile(badFolder + "/one.doc", "one");
    WriteHostFile(badFolder + "/deep/two.doc", "two");
    const CString badPath = CString::FromUtf8(std::string("C:\\docs\\") + kBadName);
    const std::vector<CString> files = {u"C:\\docs\\good.doc", badPath + u"\\deep\\two.doc", badPath + u"\\one.doc"};
    ASSERT_EQ(QXFM_BACKUP_FILES_LEFT_OUT, Backup(files));
    EXPECT_EQ((std::vector<CString>{files[1], files[2]}), LeftOut(host.Drain()));
    const std::vector<CString> lines = ListLog();
    EXPECT_TRUE(Lists(lines, Listed(u"C:\\docs\\good.doc")));
    EXPECT_EQ(lines.end(), std::find_if(lines.begin(), lines.end(), [](const CString& l) { return l.Find(u"BAD") >= 0; }));
    EXPECT_TRUE(Lists(lines, u"File Total Size : 4 bytes"));
}

// Names a Linux file may have and no path of the system can hold (a colon, a
// wildcard, a pipe, a quote, a control character): the scan lists such files,
// the backup cannot open them. Each is named as left out, and the result says
// files were left out; the rest is backed up and restores.
TEST_F(OddNames, AFileWhoseNameNoPathCanHoldIsNamedAsLeftOut) {
    const std::vector<std::string> odd = {"co:lon.doc", "what?.doc", "star*.doc", "pi|pe.doc", "quo\"te.doc",
                                          "bell\x07.doc", "tab\t.doc", "new\nline.doc"};
    for (const std::string& name : odd) WriteHostFile(drives.Root('C') + "/docs/" + name, name);
    ULONGLONG total = 0;
    const std::vector<CString> files = Scan(&total);
    ASSERT_EQ(odd.size() + 1, files.size());

    ASSERT_EQ(QXFM_BACKUP_FILES_LEFT_OUT, Backup(files));
    const std::vector<Posted> posted = host.Drain();
    std::vector<CString> expected;
    for (const std::string& name : odd) expected.push_back(CString::FromUtf8("C:\\docs\\" + name));
    EXPECT_EQ(Sorted(expected), Sorted(LeftOut(posted)));
    EXPECT_EQ(odd.size(), static_cast<size_t>(std::count_if(posted.begin(), posted.end(), [&](const Posted& p) {
                  return p.message == host.errorStr && p.wParam == ERROR_INVALID_NAME;
              })));
    EXPECT_FALSE(HasCode(posted, host.errorStr, MSG_ERROR_SERIALIZATION_FAILED));
    const std::vector<std::string> log = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(),
                                   "MSG_ERROR_WIM_MSG_ERROR - file: C:\\docs\\co:lon.doc ...failed! error code: 123"));
    const std::vector<CString> lines = ListLog();
    EXPECT_TRUE(Lists(lines, Listed(u"C:\\docs\\good.doc")));
    EXPECT_TRUE(Lists(lines, u"File Total Size : 4 bytes"));

    ExpectOnlyTheGoodFileRestores();
    for (const std::string& name : odd) EXPECT_EQ(name, ReadHostFile(drives.Root('C') + "/docs/" + name));
}
#endif

// A listed name holding a wildcard names no file, even where a file matches
// it as a pattern: it is named as left out, and the file it matches is not
// backed up in its place.
TEST_F(OddNames, AListedNameWithAWildcardNeverStandsForTheFileItMatches) {
    drives.Write(u"C:\\docs\\bxc.doc", "matched by b<c.doc as a pattern");
    ASSERT_EQ(QXFM_BACKUP_FILES_LEFT_OUT, Backup({u"C:\\docs\\good.doc", u"C:\\docs\\b<c.doc"}));
    EXPECT_EQ(std::vector<CString>{drives.Path(u"C:\\docs\\b<c.doc")}, LeftOut(host.Drain()));
    const std::vector<CString> lines = ListLog();
    EXPECT_TRUE(Lists(lines, Listed(u"C:\\docs\\good.doc")));
    EXPECT_FALSE(Lists(lines, Listed(u"C:\\docs\\bxc.doc")));
    EXPECT_TRUE(Lists(lines, u"File Total Size : 4 bytes"));
}

}  // namespace
