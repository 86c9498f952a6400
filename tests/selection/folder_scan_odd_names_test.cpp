// The folder walk on folders and files whose Linux names Windows cannot spell
// (a colon, a question mark, a backslash): their files are listed, or the walk
// tells a host of the extended protocol which it could not list (the debug
// log names it) and goes on. Never silently skipped, and never listed by a
// path that names another file.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "folder_scan_fixture.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

// ASCII only: the start of each name below is plain.
CString WideOf(const std::string& ascii) {
    CString out;
    for (char c : ascii) out += static_cast<WCHAR>(c);
    return out;
}

bool AnyUnder(const Paths& paths, const CString& prefix) {
    for (const CString& p : paths)
        if (p.Left(prefix.GetLength()) == prefix) return true;
    return false;
}

class OddFolderNames : public FolderScanTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(OddFolderNames, FilesBelowAreListedOrTheFolderIsReported) {
    g_nHostProtocol = QXFM_PROTOCOL_EXTENDED;
    const std::string folderName = GetParam();
    drives.Write(u"C:\\Docs\\plain.doc", "plain");
    const fs::path odd = fs::path(drives.Host(u"C:\\Docs")) / folderName;
    fs::create_directories(odd);
    std::ofstream(odd / "minutes.doc") << "the minutes";

    ASSERT_TRUE(Collect(drives.Path(u"C:\\Docs"), {u"DOC"}));
    const CString oddPrefix = drives.Path(u"C:\\Docs\\") + WideOf(folderName.substr(0, 4));
    const bool listed = AnyUnder(result, oddPrefix);
    const std::vector<long long> errors = Codes(host.Drain(), host.errorStr);
    const bool reported = errors == std::vector<long long>{MSG_ERROR_SCANDATA_CANNOT_FIND};
    EXPECT_TRUE(listed || reported) << "files in folder '" << folderName
                                    << "' were neither listed nor reported; listed " << result.size() << " file(s)";
}

// A file whose name holds a backslash has no path: "Back\\slash.doc" would name
// slash.doc in the folder Back, here a file of its own.
TEST_F(FolderScanTest, AFileNoPathCanNameIsReportedNotListedAsAnother) {
    g_nHostProtocol = QXFM_PROTOCOL_EXTENDED;
    drives.Write(u"C:\\Docs\\Back\\slash.doc", "another file");
    std::ofstream(fs::path(drives.Host(u"C:\\Docs")) / "Back\\slash.doc") << "the file with the backslash";
    std::ofstream(fs::path(drives.Host(u"C:\\Docs")) / "At 10:30.doc") << "listed; the backup names it";

    ASSERT_TRUE(Collect(drives.Path(u"C:\\Docs"), {u"DOC"}));
    std::sort(result.begin(), result.end());
    EXPECT_EQ(result, (Paths{drives.Path(u"C:\\Docs\\At 10:30.doc"), drives.Path(u"C:\\Docs\\Back\\slash.doc")}));
    EXPECT_EQ(Codes(host.Drain(), host.errorStr), std::vector<long long>{MSG_ERROR_SCANDATA_CANNOT_FIND});
}

INSTANTIATE_TEST_SUITE_P(LinuxNames, OddFolderNames,
                         ::testing::Values("Meeting 10:30", "What now?", "Back\\slash", "Quote\"d"));

}  // namespace
