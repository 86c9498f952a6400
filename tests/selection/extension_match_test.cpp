// The extension matcher and the removal of duplicate category names.
#include <gtest/gtest.h>

#include "selection/folder_scan.h"
#include "selection/unique_names.h"

namespace {

using Patterns = std::vector<CString>;

TEST(MatchExtension, ExactPatternsIgnoreCase) {
    Patterns p{u"DOC", u"XLS"};
    EXPECT_TRUE(MatchExtension(u"doc", &p));
    EXPECT_TRUE(MatchExtension(u"Xls", &p));
    EXPECT_FALSE(MatchExtension(u"DOCX", &p));
    EXPECT_FALSE(MatchExtension(u"DO", &p));
}

TEST(MatchExtension, PrefixPatterns) {
    Patterns doc{u"DOC*"};
    EXPECT_TRUE(MatchExtension(u"doc", &doc));
    EXPECT_TRUE(MatchExtension(u"docx", &doc));
    EXPECT_TRUE(MatchExtension(u"DOCM", &doc));
    EXPECT_FALSE(MatchExtension(u"DO", &doc));
    Patterns lower{u"jp*"};
    EXPECT_TRUE(MatchExtension(u"JPEG", &lower));
    EXPECT_FALSE(MatchExtension(u"PNG", &lower));
}

TEST(MatchExtension, WildcardAndEmptyPatternMatchEveryExtension) {
    Patterns star{u"*"};
    Patterns empty{u""};
    EXPECT_TRUE(MatchExtension(u"anything", &star));
    EXPECT_TRUE(MatchExtension(u"x", &empty));
    EXPECT_FALSE(MatchExtension(u"", &star));
    EXPECT_FALSE(MatchExtension(u"", &empty));
    EXPECT_FALSE(MatchExtension(u"doc", nullptr));
}

TEST(MatchExtension, InnerStarIsLiteral) {
    Patterns p{u"D*C"};
    EXPECT_TRUE(MatchExtension(u"d*c", &p));
    EXPECT_FALSE(MatchExtension(u"DOC", &p));
    Patterns twoStars{u"A**"};
    EXPECT_TRUE(MatchExtension(u"A**", &twoStars));
    EXPECT_FALSE(MatchExtension(u"AB", &twoStars));
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
