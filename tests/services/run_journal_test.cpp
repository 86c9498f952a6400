// A journal a killed run left: its replay removes what a run makes (pieces,
// exception copies and their folders, its folder's own files) and nothing
// else it names.
#include <gtest/gtest.h>

#include <vector>

#include "services/run_journal.h"
#include "journal_entry.h"
#include "testhost.h"

using namespace qxtest;

namespace {

TEST(LeftJournal, RemovesWhatARunMakesAndNothingElse) {
    TestDrives drives{{"C", "D"}};
    std::vector<CString> made = {u"C:\\V\\film.avi.000", u"D:\\B\\Image.incomplete\\a.swm"};
    // Exception folders lie at a drive's root: where a test drive is a folder
    // (Windows), a folder of that name inside it is the user's like any other.
    const bool driveIsRoot = drives.FolderLevels('C') == 0;
    if (driveIsRoot) made.push_back(u"C:\\_Exception1\\deep\\copy.doc");
    const CString kept[] = {u"C:\\V\\film.avi", u"C:\\V\\notes.000x", u"C:\\Other\\_Exception1\\mine.doc",
                            u"D:\\elsewhere.txt"};
    std::string journal;
    for (const CString& path : made) {
        drives.Write(path, "made");
        journal += JournalEntry(u'+', drives.Path(path).GetString());
    }
    if (driveIsRoot) journal += JournalEntry(u'd', drives.Path(u"C:\\_Exception1\\deep").GetString());
    for (const CString& path : kept) {
        drives.Write(path, "the user's");
        journal += JournalEntry(u'+', drives.Path(path).GetString());
    }
    ASSERT_TRUE(CreateDirectoryW(drives.Path(u"C:\\Empty"), nullptr));  // the user's, empty
    journal += JournalEntry(u'd', drives.Path(u"C:\\Empty").GetString());
    WriteHostFile(drives.Host(u"D:\\B\\Tarvolen.journal"), journal);

    EXPECT_TRUE(RunJournal::ReplayLeft(drives.Path(u"D:\\B")));

    for (const CString& path : made) EXPECT_FALSE(HostExists(drives.Host(path))) << path.ToUtf8();
    if (driveIsRoot) {
        EXPECT_FALSE(HostExists(drives.Host(u"C:\\_Exception1\\deep")));
    }
    for (const CString& path : kept) EXPECT_EQ("the user's", ReadHostFile(drives.Host(path))) << path.ToUtf8();
    EXPECT_TRUE(HostExists(drives.Host(u"C:\\Empty")));
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\B\\Tarvolen.journal")));
}

}  // namespace
