// Host names need not be valid UTF-8: every Win32 call names such a file by a
// wide name that maps back to the very bytes on disk.
#include <gtest/gtest.h>

#include "qxplatform.h"
#include "testhost.h"

using namespace qxtest;

namespace {

TEST(ByteNames, ConversionKeepsEveryByteSequence) {
    const std::string samples[] = {"\xff", "a\x80z", "\xc3", "\xe2\x82", "\xed\xb2\x80", "\xc0\xaf", "\xf8\x88\x80\x80\x80",
                                   "ok \xc3\xa9 \xe4\xb8\xad \xf0\x9f\x98\x80", "\xef\xbf\xbd", "\xc3\xa9\xff\xc3\xa9"};
    for (const std::string& bytes : samples) EXPECT_EQ(bytes, CString::FromUtf8(bytes).ToUtf8());
    EXPECT_EQ(CString(u"a\xDC80z"), CString::FromUtf8("a\x80z"));
    EXPECT_EQ(CString(u"\xFFFD"), CString::FromUtf8("\xef\xbf\xbd"));  // a real U+FFFD stays one
    // A lone surrogate that stands for no byte still becomes U+FFFD.
    EXPECT_EQ("\xef\xbf\xbd", CString(u"\xD800").ToUtf8());
}

TEST(ByteNames, FoundNamesOpenTheFileTheyCameFrom) {
    TestDrives drives({"C"});
    const std::string name = "caf\xe9.txt";  // Latin-1, not UTF-8
    WriteHostFile(drives.Root('C') + "/" + name, "latin");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(u"C:\\caf*", &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    EXPECT_EQ(CString(u"caf\xDCE9.txt"), CString(data.cFileName));
    const CString path = CString(u"C:\\") + data.cFileName;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path));
    ASSERT_TRUE(CopyFileW(path, CString(u"C:\\copy ") + data.cFileName, TRUE));
    EXPECT_EQ("latin", ReadHostFile(drives.Root('C') + "/copy " + name));
    EXPECT_EQ(path, QxFromHostPath(drives.Root('C') + "/" + name));
}

}  // namespace
