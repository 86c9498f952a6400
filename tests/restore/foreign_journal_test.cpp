// A backup folder that holds a run journal the library did not write there:
// planted by someone who can write to a shared backup folder, or carried
// along from another machine. Restoring from that folder must not act on the
// paths it names outside the backup.
#include <gtest/gtest.h>

#include <string>

#include "journal_entry.h"
#include "restore_fixture.h"

using namespace restoretest;
using qxtest::JournalEntry;

TEST_F(RestoreFixture, AJournalInTheBackupFolderNeverRemovesOrMovesTheUsersFiles) {
    SampleTree tree = MakeSampleTree(drives);
    BackUp(tree, FALSE, 0, WIM_COMPRESS_XPRESS);
    drives.Write(u"C:\\Users\\ann\\Other\\thesis.docx", "years of work");
    drives.Write(u"C:\\Users\\ann\\Other\\notes.txt", "notes");
    drives.Write(u"C:\\Users\\ann\\Other\\old.txt", "old");
    drives.Write(u"C:\\Users\\ann\\Keep\\a.txt", "a");

    const auto path = [&](const char16_t* drivePath) { return drives.Path(drivePath).str(); };
    std::string journal = JournalEntry(u'+', path(u"C:\\Users\\ann\\Other\\thesis.docx")) +
                          JournalEntry(u'w', path(u"C:\\Users\\ann\\Keep")) +
                          JournalEntry(u'm', path(u"C:\\Users\\ann\\Other\\old.txt"),
                                       path(u"C:\\Users\\ann\\Other\\notes.txt")) +
                          JournalEntry(u'c', u"");
    WriteHostFile(drives.Root('D') + "/Backups/Monday/Tarvolen.journal", journal);
    const std::string c = drives.Root('C') + "/Users/ann";

    Restore(u"D:\\Backups\\Monday", {u"Documents"});
    host.Drain();

    EXPECT_TRUE(HostExists(c + "/Other/thesis.docx"));
    EXPECT_TRUE(HostExists(c + "/Keep/a.txt"));
    EXPECT_TRUE(HostExists(c + "/Other/old.txt"));
    EXPECT_EQ("notes", HostExists(c + "/Other/notes.txt") ? ReadHostFile(c + "/Other/notes.txt") : std::string());
}
