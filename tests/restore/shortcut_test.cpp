// A shortcut for a restored file, made directly: its name, the entries it
// never replaces, where it points, and a place outside the restore folder.
#include <gtest/gtest.h>

#include "services/state.h"
#include "restore/shortcut.h"
#include "link_target.h"
#include "testhost.h"

using namespace qxtest;

namespace {

class ShortcutPlacement : public ::testing::Test {
protected:
    void SetUp() override { g_pHostWnd = host.handle(); }
    void TearDown() override { g_pHostWnd = nullptr; }

    TestDrives drives{{"C"}};
    HostWindow host;
};

TEST_F(ShortcutPlacement, NamedAfterTheFileNeverReplacingAnEntryInAnySpelling) {
    drives.Write(u"C:\\Restore\\deep\\report.txt", "text");
    drives.Write(u"C:\\Restore\\Docs\\REPORT.lnk", "the user's own");
    const CString root = drives.Path(u"C:\\Restore\\");
    const CString target = drives.Path(u"C:\\Restore\\deep\\report.txt");

    ASSERT_TRUE(PlaceShortcut(target, drives.Path(u"C:\\Restore\\Docs\\report.txt"), root));
    ASSERT_TRUE(PlaceShortcut(target, drives.Path(u"C:\\Restore\\Docs\\report.doc"), root));
    EXPECT_EQ("the user's own", ReadHostFile(drives.Host(u"C:\\Restore\\Docs\\REPORT.lnk")));
    EXPECT_EQ(target.ToUtf8(), LinkTarget(drives.Host(u"C:\\Restore\\Docs\\report (2).lnk")));
    EXPECT_EQ(target.ToUtf8(), LinkTarget(drives.Host(u"C:\\Restore\\Docs\\report (3).lnk")));
    EXPECT_TRUE(Codes(host.Drain(), host.errorStr).empty());
}

TEST_F(ShortcutPlacement, APlaceOutsideTheRestoreFolderIsRefused) {
    drives.Write(u"C:\\Restore\\report.txt", "text");
    EXPECT_FALSE(PlaceShortcut(drives.Path(u"C:\\Restore\\report.txt"), drives.Path(u"C:\\Elsewhere\\report.txt"),
                               drives.Path(u"C:\\Restore\\")));
    EXPECT_FALSE(HostExists(drives.Host(u"C:\\Elsewhere")));
    EXPECT_FALSE(Codes(host.Drain(), host.errorStr).empty());
}

}  // namespace
