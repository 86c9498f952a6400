// Exclusion lists as a host reads them from a file: a blank line gives an
// empty entry, which names no path.
#include <gtest/gtest.h>

#include <string>

#include "backup_host.h"

using namespace qxtest;

namespace {

struct ExclusionEntries : BackupHost {
    ~ExclusionEntries() override {
        std::vector<CString> none;
        module.SetExclusionFileList(&none);
    }
};

}  // namespace

TEST_F(ExclusionEntries, AnEmptyEntryExcludesNothing) {
    drives.Write(u"C:\\types.txt", "[Documents]\ntxt\n");
    drives.Write(u"C:\\Users\\ann\\a.txt", "a");
    drives.Write(u"C:\\Users\\ann\\tmp\\b.txt", "b");
    ASSERT_EQ(0, Backup({u"C:\\Users\\ann\\a.txt", u"C:\\Users\\ann\\tmp\\b.txt"}, {}, FALSE, 0));
    host.Drain();
    ASSERT_EQ(1u, ImageFiles(1).count("/Users/ann/a.txt"));

    std::vector<CString> exclusions = {u"\\tmp\\", u""};
    module.SetExclusionFileList(&exclusions);
    Backup({u"C:\\Users\\ann\\a.txt", u"C:\\Users\\ann\\tmp\\b.txt"}, {}, FALSE, 0);
    host.Drain();

    // The new backup replaced the earlier one: it must still hold a.txt.
    EXPECT_EQ(1u, ImageFiles(1).count("/Users/ann/a.txt"));
    EXPECT_EQ(0u, ImageFiles(1).count("/Users/ann/tmp/b.txt"));
}
