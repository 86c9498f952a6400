// CString::Format and AppendFormat with the conversions the module writes its
// log lines, piece names and messages with.
#include <gtest/gtest.h>

#include <cstdarg>

#include "atlstr.h"

namespace {

CString Formatted(const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    CString text;
    text.FormatV(format, args);
    va_end(args);
    return text;
}

// The bounded buffer's text, and in *result what the call returned.
CString Truncated(int* result, size_t count, const WCHAR* format, ...) {
    WCHAR buffer[16];
    va_list args;
    va_start(args, format);
    *result = QxFormatTruncated(buffer, count, format, args);
    va_end(args);
    return CString(buffer);
}

}  // namespace

TEST(CStringFormat, StringsWideAndNarrowSpelledAlike) {
    const CString path(u"C:\\Users\\Me\\film.avi");
    EXPECT_EQ(Formatted(u"%s - %s", u"MSG_ERROR", path.GetString()), u"MSG_ERROR - C:\\Users\\Me\\film.avi");
    EXPECT_EQ(Formatted(u"[%ls]", u"wide"), u"[wide]");
    EXPECT_EQ(Formatted(u"[%S]", u"wide"), u"[wide]");
    EXPECT_EQ(Formatted(u"[%s]", static_cast<const WCHAR*>(nullptr)), u"[(null)]");
    EXPECT_EQ(Formatted(u"[%s]", u""), u"[]");
    EXPECT_EQ(Formatted(u"%c%c", u'A', u'\u00e9'), u"A\u00e9");
}

TEST(CStringFormat, WidthsPrecisionAndAlignment) {
    EXPECT_EQ(Formatted(u"[%6s]", u"ab"), u"[    ab]");
    EXPECT_EQ(Formatted(u"[%-6s]", u"ab"), u"[ab    ]");
    EXPECT_EQ(Formatted(u"[%.3s]", u"abcdef"), u"[abc]");
    EXPECT_EQ(Formatted(u"[%2s]", u"longer"), u"[longer]");
    EXPECT_EQ(Formatted(u"[%*d]", 5, 42), u"[   42]");
    EXPECT_EQ(Formatted(u"[%*d]", -5, 42), u"[42   ]");
    EXPECT_EQ(Formatted(u"[%5d]", -42), u"[  -42]");
    EXPECT_EQ(Formatted(u"[%-5d]", 42), u"[42   ]");
    EXPECT_EQ(Formatted(u"[%05d]", -42), u"[-0042]");
    EXPECT_EQ(Formatted(u"[%+d] [% d]", 7, 7), u"[+7] [ 7]");
    EXPECT_EQ(Formatted(u"[%.4d]", 7), u"[0007]");
}

TEST(CStringFormat, IntegersOfEverySizeTheModuleUses) {
    EXPECT_EQ(Formatted(u"%d %d %i", 0, -2147483647 - 1, 2147483647), u"0 -2147483648 2147483647");
    EXPECT_EQ(Formatted(u"%u", 4294967295u), u"4294967295");
    EXPECT_EQ(Formatted(u"%ld", -5L), u"-5");
    // Piece names, times and sizes.
    EXPECT_EQ(Formatted(u"%s.%03llu", u"film.avi", 7ULL), u"film.avi.007");
    EXPECT_EQ(Formatted(u"%03llu", 1234ULL), u"1234");
    EXPECT_EQ(Formatted(u"%02d:%02d", 5, 30), u"05:30");
    EXPECT_EQ(Formatted(u"%llu", 18446744073709551615ULL), u"18446744073709551615");
    EXPECT_EQ(Formatted(u"%lld", -9223372036854775807LL - 1), u"-9223372036854775808");
    EXPECT_EQ(Formatted(u"%I64u bytes", 5368709120ULL), u"5368709120 bytes");
    EXPECT_EQ(Formatted(u"%I64d", -5368709120LL), u"-5368709120");
    EXPECT_EQ(Formatted(u"%zu", static_cast<size_t>(12)), u"12");
    // Hexadecimal codes and GUID parts.
    EXPECT_EQ(Formatted(u"%08X", 0x1234ABu), u"001234AB");
    EXPECT_EQ(Formatted(u"%016llX", 0xDEADBEEFCAFEULL), u"0000DEADBEEFCAFE");
    EXPECT_EQ(Formatted(u"%x %#x %o", 255u, 255u, 8u), u"ff 0xff 10");
}

TEST(CStringFormat, PercentSignsAndUnknownConversions) {
    EXPECT_EQ(Formatted(u"100%%"), u"100%");
    EXPECT_EQ(Formatted(u"%%d"), u"%d");
    EXPECT_EQ(Formatted(u"a %y b"), u"a %y b");
    EXPECT_EQ(Formatted(u"trailing %"), u"trailing ");
}

TEST(CStringFormat, EmptyAndLongOutput) {
    EXPECT_EQ(Formatted(u""), u"");
    EXPECT_TRUE(Formatted(u"%s", u"").IsEmpty());

    // Far beyond any fixed buffer: a deep path repeated.
    CString deep;
    for (int i = 0; i < 2000; ++i) deep += u"\\folder";
    const CString line = Formatted(u"%s|%d", deep.GetString(), 1);
    EXPECT_EQ(line.GetLength(), deep.GetLength() + 2);
    EXPECT_EQ(line.Left(deep.GetLength()), deep);
    EXPECT_EQ(line.Right(2), u"|1");
}

TEST(CStringFormat, FormatReplacesAndAppendFormatExtends) {
    CString text(u"old content");
    text.Format(u"%d files", 3);
    EXPECT_EQ(text, u"3 files");
    text.AppendFormat(u", %s", u"2 folders");
    EXPECT_EQ(text, u"3 files, 2 folders");
    text.Format(u"");
    EXPECT_TRUE(text.IsEmpty());
}

TEST(CStringFormat, BoundedBufferKeepsItsTerminatorAndTellsACutByMinusOne) {
    int result = 0;
    EXPECT_EQ(Truncated(&result, 16, u"%s-%d", u"abc", 12), u"abc-12");
    EXPECT_EQ(result, 6);
    EXPECT_EQ(Truncated(&result, 5, u"%s", u"abcd"), u"abcd");
    EXPECT_EQ(result, 4);
    EXPECT_EQ(Truncated(&result, 5, u"%s", u"abcdefgh"), u"abcd");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Truncated(&result, 1, u"%s", u"abc"), u"");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Truncated(&result, 1, u""), u"");
    EXPECT_EQ(result, 0);
}
