// Automation strings: lengths, the Windows memory layout and null handling.
#include <gtest/gtest.h>

#include <cstring>

#include "atlstr.h"

namespace {

DWORD BytePrefix(BSTR s) {
    DWORD bytes;
    memcpy(&bytes, reinterpret_cast<const BYTE*>(s) - sizeof(DWORD), sizeof bytes);
    return bytes;
}

TEST(Bstr, LengthsAndLayout) {
    BSTR s = SysAllocString(u"C:\\Users\\\u00e9t\u00e9");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 12u);
    EXPECT_EQ(BytePrefix(s), 24u);
    EXPECT_EQ(s[12], u'\0');
    EXPECT_EQ(CString(s), u"C:\\Users\\\u00e9t\u00e9");
    SysFreeString(s);

    // An explicit length keeps embedded nulls and stops where told.
    const OLECHAR withNull[] = u"ab\0cd";
    BSTR part = SysAllocStringLen(withNull, 4);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(SysStringLen(part), 4u);
    EXPECT_EQ(part[2], u'\0');
    EXPECT_EQ(part[3], u'c');
    EXPECT_EQ(part[4], u'\0');
    SysFreeString(part);

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);

    BSTR fromCString = CString(u"xyz").AllocSysString();
    EXPECT_EQ(SysStringLen(fromCString), 3u);
    SysFreeString(fromCString);
}

TEST(Bstr, NullSourcesAndNullStrings) {
    BSTR zeroed = SysAllocStringLen(nullptr, 8);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(SysStringLen(zeroed), 8u);
    for (int i = 0; i <= 8; ++i) EXPECT_EQ(zeroed[i], u'\0');
    SysFreeString(zeroed);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    // A length whose byte count cannot be stored is refused.
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
}

}  // namespace
