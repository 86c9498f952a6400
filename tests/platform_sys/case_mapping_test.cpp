// Upper-casing, lower-casing and case-insensitive comparison follow Unicode
// simple case mapping, whatever the process locale.
#include <gtest/gtest.h>

#include "atlstr.h"

namespace {

CString Upper(CString s) { return s.MakeUpper(); }
CString Lower(CString s) { return s.MakeLower(); }

TEST(CaseMapping, LatinGreekAndCyrillicBothWays) {
    struct Pair {
        const char16_t* lower;
        const char16_t* upper;
    };
    const Pair pairs[] = {
        {u"dökümanlar", u"DÖKÜMANLAR"},
        {u"ÿàéîõüçñæøåþðłőžşğāœ", u"ŸÀÉÎÕÜÇÑÆØÅÞÐŁŐŽŞĞĀŒ"},
        {u"αβγδεζηθικλμνξοπρστυφχψω άέήίόύώ", u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ ΆΈΉΊΌΎΏ"},
        {u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя ђєїљњћџ ґ", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ ЂЄЇЉЊЋЏ Ґ"},
        {u"ⓐ ａｚ ꙁ ꞵ ⴀ", u"Ⓐ ＡＺ Ꙁ Ꞵ Ⴀ"},
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(Upper(p.lower), CString(p.upper));
        EXPECT_EQ(Lower(p.upper), CString(p.lower));
        EXPECT_EQ(QxCompareNoCase(p.lower, p.upper), 0);
    }
}

TEST(CaseMapping, SimpleMappingOneUnitToOne) {
    EXPECT_EQ(QxToUpper(u'ς'), u'Σ');   // final sigma
    EXPECT_EQ(QxToUpper(u'µ'), u'Μ');   // micro sign
    EXPECT_EQ(QxToUpper(u'ǆ'), u'Ǆ');
    EXPECT_EQ(QxToUpper(u'ǅ'), u'Ǆ');   // title case
    EXPECT_EQ(QxToLower(u'ǅ'), u'ǆ');
    EXPECT_EQ(QxToUpper(u'ᾳ'), u'ᾼ');   // full mapping "ΑΙ", simple one unit
    EXPECT_EQ(QxToLower(u'İ'), u'i');   // full mapping "i̇"
    EXPECT_EQ(QxToLower(u'ẞ'), u'ß');
    EXPECT_EQ(QxToUpper(u'ß'), u'ß');   // "SS" only in full mapping
    EXPECT_EQ(QxToUpper(u'ŉ'), u'ŉ');
    EXPECT_EQ(QxCompareNoCase(u"σ", u"ς"), 0);
}

TEST(CaseMapping, CharactersWithoutMappingStay) {
    for (char16_t c : {u'中', u'ا', u'א', u'€', u'1', u'_', u'ª', u'\u0301', u'\xD83D', u'\xDE00'}) {
        EXPECT_EQ(QxToUpper(c), c) << static_cast<int>(c);
        EXPECT_EQ(QxToLower(c), c) << static_cast<int>(c);
    }
    EXPECT_EQ(Upper(u"中文 😀"), CString(u"中文 😀"));
    EXPECT_NE(QxCompareNoCase(u"中", u"文"), 0);
    EXPECT_LT(QxCompareNoCase(u"a", u"B"), 0);
    EXPECT_GT(QxCompareNoCase(u"É", u"e"), 0);
}

}  // namespace
