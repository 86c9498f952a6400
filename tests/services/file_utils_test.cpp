// Looking up one directory entry: FindEntry takes a name held in other letter
// case and a pattern, FindAsSpelled only the name as spelled.
#include <gtest/gtest.h>

#include "services/file_utils.h"
#include "testhost.h"

using namespace qxtest;

namespace {

TEST(FindEntry, TakesANameInOtherCaseAndAPattern) {
    TestDrives drives{{"C"}};
    drives.Write(u"C:\\dir\\Name.txt", "x");
    WIN32_FIND_DATAW data;
    ASSERT_TRUE(FindEntry(u"C:\\dir\\name.TXT", &data));
    EXPECT_EQ(CString(data.cFileName), CString(u"Name.txt"));
    ASSERT_TRUE(FindEntry(u"C:\\dir\\N*.txt", &data));
    EXPECT_EQ(CString(data.cFileName), CString(u"Name.txt"));
    EXPECT_FALSE(FindEntry(u"C:\\dir\\other.txt", &data));
}

TEST(FindAsSpelled, TakesOnlyTheNameAsSpelled) {
    TestDrives drives{{"C"}};
    drives.Write(u"C:\\dir\\Name.txt", "x");
    WIN32_FIND_DATAW data;
    ASSERT_TRUE(FindAsSpelled(u"C:\\dir\\Name.txt", &data));
    EXPECT_EQ(CString(data.cFileName), CString(u"Name.txt"));
    EXPECT_FALSE(FindAsSpelled(u"C:\\dir\\name.TXT", &data));
    EXPECT_FALSE(FindAsSpelled(u"C:\\Dir\\Name.txt", &data));
}

}  // namespace
