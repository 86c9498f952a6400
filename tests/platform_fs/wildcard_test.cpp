// The file name patterns FindFirstFileW matches, as Windows reads them: "*"
// and "?" ignoring case, "?" before a dot or the end that may match nothing,
// "*." for names without a dot, "*" before a dot that stops at the last dot.
#include <gtest/gtest.h>

#include <set>

#include "testhost.h"

using qxtest::TestDrives;

namespace {

const char* const kNames[] = {"a.txt", "ab.txt", "abc.txt", "B.TXT",     "a.txt.bak", "x.tar.gz",
                              "Readme", "readme.md", "noext", ".hidden", "a..b",      "ab"};

class Wildcard : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kNames) drives.Write(CString::FromUtf8(std::string("C:\\dir\\") + name), "x");
    }

    // The names pattern finds in the folder, "." and ".." left out.
    std::set<CString> Find(const WCHAR* pattern) {
        std::set<CString> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(CString(u"C:\\dir\\") + pattern, &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            const CString name(data.cFileName);
            if (name != u"." && name != u"..") names.insert(name);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return names;
    }

    TestDrives drives{{"C"}};
};

std::set<CString> Names(std::initializer_list<const WCHAR*> list) {
    std::set<CString> names;
    for (const WCHAR* name : list) names.insert(name);
    return names;
}

}  // namespace

TEST_F(Wildcard, StarMatchesAnyRunIgnoringCase) {
    EXPECT_EQ(Find(u"*").size(), std::size(kNames));
    EXPECT_EQ(Find(u"*.*"), Find(u"*"));
    EXPECT_EQ(Find(u"A*"), Names({u"a.txt", u"ab.txt", u"abc.txt", u"a.txt.bak", u"a..b", u"ab"}));
    EXPECT_EQ(Find(u"README*"), Names({u"Readme", u"readme.md"}));
    EXPECT_EQ(Find(u"*B*"), Names({u"ab.txt", u"abc.txt", u"B.TXT", u"a.txt.bak", u"a..b", u"ab"}));
    EXPECT_EQ(Find(u"*ME"), Names({u"Readme"}));
}

TEST_F(Wildcard, StarBeforeADotStopsAtTheLastDot) {
    EXPECT_EQ(Find(u"*.txt"), Names({u"a.txt", u"ab.txt", u"abc.txt", u"B.TXT"}));
    EXPECT_EQ(Find(u"*.gz"), Names({u"x.tar.gz"}));
    EXPECT_TRUE(Find(u"*.tar").empty());
    EXPECT_EQ(Find(u"*.b"), Names({u"a..b"}));
}

TEST_F(Wildcard, QuestionMarkTakesOneCharacterOrNoneBeforeADot) {
    EXPECT_EQ(Find(u"?.txt"), Names({u"a.txt", u"B.TXT"}));
    EXPECT_EQ(Find(u"??.txt"), Names({u"a.txt", u"ab.txt", u"B.TXT"}));
    EXPECT_EQ(Find(u"abc?.txt"), Names({u"abc.txt"}));
    EXPECT_EQ(Find(u"a?"), Names({u"ab"}));
    EXPECT_EQ(Find(u"?"), Names({}));
    // A dot ends a run of "?": "?????" finds names of up to five characters without a dot.
    EXPECT_EQ(Find(u"?????"), Names({u"noext", u"ab"}));
    EXPECT_EQ(Find(u"a.t?t"), Names({u"a.txt"}));
}

TEST_F(Wildcard, DotsAtTheEndAndTheStart) {
    // "*." names without an extension; ".*" names that begin with a dot.
    EXPECT_EQ(Find(u"*."), Names({u"Readme", u"noext", u"ab"}));
    EXPECT_EQ(Find(u".*"), Names({u".hidden"}));
    EXPECT_EQ(Find(u"readme.*"), Names({u"Readme", u"readme.md"}));
    EXPECT_EQ(Find(u"a.txt.*"), Names({u"a.txt", u"a.txt.bak"}));
}

TEST_F(Wildcard, AnEmptyPatternFindsNothing) {
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(u"C:\\dir\\", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileW(u"", &data), INVALID_HANDLE_VALUE);
}
