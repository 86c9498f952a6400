// Looking up one directory entry: FindEntry takes a name held in other letter
// case and a pattern, FindAsSpelled only the name as spelled.
#include <gtest/gtest.h>

#include "services/file_utils.h"
#include "testhost.h"

using namespace qxtest;

namespace {

class EntryLookupTest : public ::testing::Test {
protected:
    void SetUp() override { drives.Write(u"C:\\dir\\Name.txt", "x"); }

    // The name the lookup found, empty when it found none.
    template <class Lookup>
    CString Found(Lookup lookup, const CString& path) {
        WIN32_FIND_DATAW data;
        return lookup(drives.Path(path), &data) ? CString(data.cFileName) : CString();
    }

    TestDrives drives{{"C"}};
};

TEST_F(EntryLookupTest, FindEntryTakesANameInOtherCaseAndAPattern) {
    EXPECT_EQ(Found(FindEntry, u"C:\\dir\\name.TXT"), CString(u"Name.txt"));
    EXPECT_EQ(Found(FindEntry, u"C:\\dir\\N*.txt"), CString(u"Name.txt"));
    EXPECT_EQ(Found(FindEntry, u"C:\\dir\\other.txt"), CString());
}

TEST_F(EntryLookupTest, FindAsSpelledTakesOnlyTheNameAsSpelled) {
    if (HostExists(drives.Host(u"C:\\dir\\name.TXT"))) GTEST_SKIP() << kOneCase;
    EXPECT_EQ(Found(FindAsSpelled, u"C:\\dir\\Name.txt"), CString(u"Name.txt"));
    EXPECT_EQ(Found(FindAsSpelled, u"C:\\dir\\name.TXT"), CString());
    EXPECT_EQ(Found(FindAsSpelled, u"C:\\Dir\\Name.txt"), CString());
}

}  // namespace
