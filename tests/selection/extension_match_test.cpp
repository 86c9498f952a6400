// The extension matcher and the removal of duplicate category names.
#include <gtest/gtest.h>

#include "selection/folder_scan.h"
#include "selection/unique_names.h"

namespace {

using Patterns = std::vector<CString>;

TEST(MatchExtension, ExactPatternsIgnoreCase) {
    Patterns p{u"DOC", u"XLS"};
    EXPECT_EQ(1, MatchExtension(u"doc", &p));
    EXPECT_EQ(1, MatchExtension(u"Xls", &p));
    EXPECT_EQ(0, MatchExtension(u"DOCX", &p));
    EXPECT_EQ(0, MatchExtension(u"DO", &p));
}

TEST(MatchExtension, PrefixPatterns) {
    Patterns doc{u"DOC*"};
    EXPECT_EQ(1, MatchExtension(u"doc", &doc));
    EXPECT_EQ(1, MatchExtension(u"docx", &doc));
    EXPECT_EQ(1, MatchExtension(u"DOCM", &doc));
    EXPECT_EQ(0, MatchExtension(u"DO", &doc));
    Patterns lower{u"jp*"};
    EXPECT_EQ(1, MatchExtension(u"JPEG", &lower));
    EXPECT_EQ(0, MatchExtension(u"PNG", &lower));
}

TEST(MatchExtension, WildcardAndEmptyPatternMatchEveryExtension) {
    Patterns star{u"*"};
    Patterns empty{u""};
    EXPECT_EQ(1, MatchExtension(u"anything", &star));
    EXPECT_EQ(1, MatchExtension(u"x", &empty));
    EXPECT_EQ(0, MatchExtension(u"", &star));
    EXPECT_EQ(0, MatchExtension(u"", &empty));
    EXPECT_EQ(0, MatchExtension(u"doc", nullptr));
}

TEST(MatchExtension, InnerStarIsLiteral) {
    Patterns p{u"D*C"};
    EXPECT_EQ(1, MatchExtension(u"d*c", &p));
    EXPECT_EQ(0, MatchExtension(u"DOC", &p));
    Patterns twoStars{u"A**"};
    EXPECT_EQ(1, MatchExtension(u"A**", &twoStars));
    EXPECT_EQ(0, MatchExtension(u"AB", &twoStars));
}

TEST(RemoveDuplicateNames, KeepsFirstOccurrenceAndOrder) {
    std::vector<CString> names{u"Pictures", u"MUSIC", u"PICTURES", u"music", u"pictures", u"Video"};
    RemoveDuplicateNames(&names);
    EXPECT_EQ((std::vector<CString>{u"Pictures", u"MUSIC", u"Video"}), names);
    std::vector<CString> same{u"a", u"A", u"a"};
    RemoveDuplicateNames(&same);
    EXPECT_EQ((std::vector<CString>{u"a"}), same);
    std::vector<CString> none;
    RemoveDuplicateNames(&none);
    EXPECT_TRUE(none.empty());
}

}  // namespace
