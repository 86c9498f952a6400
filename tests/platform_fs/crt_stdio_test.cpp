#include <gtest/gtest.h>

#include <cerrno>

#include "qxplatform.h"
#include "testhost.h"
#include "wcrt.h"

using qxtest::TestDrives;

namespace {

std::string Bytes(const TestDrives& drives, const WCHAR* win) { return qxtest::ReadHostFile(drives.Host(win)); }

std::string Utf16(const char* ascii) {
    std::string out;
    for (const char* p = ascii; *p; ++p) {
        out += *p;
        out += '\0';
    }
    return out;
}

}  // namespace

TEST(WideStdio, UnicodeTextModeIsByteExact) {
    TestDrives drives({"C"});
    FILE* f = _wfopen(u"C:\\log.txt", u"wt,ccs=UNICODE");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fputws(u"a\n", f), 0);
    EXPECT_EQ(fputws(u"\u00e9\U0001F600\n", f), 0);
    ASSERT_EQ(fclose(f), 0);
    std::string expected = "\xFF\xFE" + Utf16("a\r\n") + std::string("\xE9\x00\x3D\xD8\x00\xDE", 6) + Utf16("\r\n");
    EXPECT_EQ(Bytes(drives, u"C:\\log.txt"), expected);

    f = _wfopen(u"C:\\log.txt", u"at,ccs=UNICODE");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fputws(u"b\n", f), 0);
    ASSERT_EQ(fclose(f), 0);
    EXPECT_EQ(Bytes(drives, u"C:\\log.txt"), expected + Utf16("b\r\n"));

    f = _wfopen(u"C:\\new.txt", u"at,ccs=UNICODE");
    ASSERT_NE(f, nullptr);
    fputws(u"x", f);
    fclose(f);
    EXPECT_EQ(Bytes(drives, u"C:\\new.txt"), "\xFF\xFE" + Utf16("x"));

    f = _wfopen(u"C:\\log.txt", u"rt,ccs=UNICODE");
    ASSERT_NE(f, nullptr);
    WCHAR line[16];
    ASSERT_NE(fgetws(line, 16, f), nullptr);
    EXPECT_EQ(CString(line), CString(u"a\n"));
    ASSERT_NE(fgetws(line, 16, f), nullptr);
    EXPECT_EQ(CString(line), CString(u"\u00e9\U0001F600\n"));
    ASSERT_NE(fgetws(line, 3, f), nullptr);
    EXPECT_EQ(CString(line), CString(u"b\n"));
    EXPECT_EQ(fgetws(line, 16, f), nullptr);
    fclose(f);
}

TEST(WideStdio, AnsiTextAndBinaryModes) {
    TestDrives drives({"C"});
    FILE* f = _wfopen(u"C:\\a.txt", u"w");
    ASSERT_NE(f, nullptr);
    fputws(u"one\ntw\u00f6\n", f);
    fprintf(f, "%d\n", 3);
    fclose(f);
    EXPECT_EQ(Bytes(drives, u"C:\\a.txt"), "one\r\ntw\xF6\r\n3\r\n");
    f = _wfopen(u"C:\\a.txt", u"at");
    ASSERT_NE(f, nullptr);
    fputs("end", f);
    fclose(f);
    EXPECT_EQ(Bytes(drives, u"C:\\a.txt"), "one\r\ntw\xF6\r\n3\r\nend");
    f = _wfopen(u"C:\\a.txt", u"r");
    ASSERT_NE(f, nullptr);
    char buf[64] = {};
    EXPECT_EQ(fread(buf, 1, sizeof buf, f), 13u);
    EXPECT_EQ(std::string(buf), "one\ntw\xF6\n3\nend");
    fclose(f);
    f = _wfopen(u"C:\\b.bin", u"wb");
    ASSERT_NE(f, nullptr);
    fputs("x\ny", f);
    EXPECT_EQ(fseek(f, 0, SEEK_SET), 0);
    fputs("z", f);
    fclose(f);
    EXPECT_EQ(Bytes(drives, u"C:\\b.bin"), "z\ny");
    f = _wfopen(u"C:\\b.bin", u"rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fseek(f, 0, SEEK_END), 0);
    EXPECT_EQ(ftell(f), 3);
    fclose(f);
}

// A text stream without an encoding converts wide text through the C locale,
// as the Windows runtime does: one byte per character up to U+00FF; a
// character beyond fails the call, and what follows it is not written.
TEST(WideStdio, TextWithoutAnEncodingHoldsNoCharacterBeyondLatin1) {
    TestDrives drives({"C"});
    FILE* f = _wfopen(u"C:\\c.txt", u"wt");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fputws(u"Gr\u00fc\u00dfe\n", f), 0);
    EXPECT_EQ(fputws(u"a\u20acb\n", f), EOF);
    EXPECT_EQ(errno, EILSEQ);
    fclose(f);
    EXPECT_EQ(Bytes(drives, u"C:\\c.txt"), "Gr\xFC\xDF" "e\r\na");
    f = _wfopen(u"C:\\c.txt", u"rt");
    ASSERT_NE(f, nullptr);
    WCHAR line[16];
    ASSERT_NE(fgetws(line, 16, f), nullptr);
    EXPECT_EQ(CString(line), CString(u"Gr\u00fc\u00dfe\n"));
    ASSERT_NE(fgetws(line, 16, f), nullptr);
    EXPECT_EQ(CString(line), CString(u"a"));
    EXPECT_EQ(fgetws(line, 16, f), nullptr);
    fclose(f);
}

TEST(WideStdio, Utf8SplitAcrossWrites) {
    TestDrives drives({"C"});
    FILE* f = _wfopen(u"C:\\split.txt", u"w,ccs=UNICODE");
    ASSERT_NE(f, nullptr);
    setvbuf(f, nullptr, _IONBF, 0);  // every byte reaches the file layer on its own
    fputs("\xE2\x82", f);
    fputs("\xAC", f);
    fclose(f);
    EXPECT_EQ(Bytes(drives, u"C:\\split.txt"), std::string("\xFF\xFE\xAC\x20", 4));
}

TEST(WideStdio, ModeErrors) {
    TestDrives drives({"C"});
    EXPECT_EQ(_wfopen(u"C:\\x.txt", u"q"), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(_wfopen(u"C:\\x.txt", u"w,ccs=EBCDIC"), nullptr);
    EXPECT_EQ(_wfopen(u"C:\\missing.txt", u"r"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(_wfopen(u"C:\\nodir\\x.txt", u"w"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(WideRuntime, SplitPath) {
    WCHAR drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT];
    ASSERT_EQ(_wsplitpath_s(u"C:\\dir\\sub/archive.tar.gz", drive, _MAX_DRIVE, dir, _MAX_DIR, name, _MAX_FNAME, ext,
                            _MAX_EXT),
              0);
    EXPECT_EQ(CString(drive), CString(u"C:"));
    EXPECT_EQ(CString(dir), CString(u"\\dir\\sub/"));
    EXPECT_EQ(CString(name), CString(u"archive.tar"));
    EXPECT_EQ(CString(ext), CString(u".gz"));
    ASSERT_EQ(_wsplitpath_s(u"report", nullptr, 0, dir, _MAX_DIR, name, _MAX_FNAME, ext, _MAX_EXT), 0);
    EXPECT_EQ(CString(dir), CString());
    EXPECT_EQ(CString(name), CString(u"report"));
    EXPECT_EQ(CString(ext), CString());
    ASSERT_EQ(_wsplitpath_s(u"\\\\?\\C:\\a.b\\c", drive, _MAX_DRIVE, dir, _MAX_DIR, name, _MAX_FNAME, ext, _MAX_EXT), 0);
    EXPECT_EQ(CString(drive), CString());
    EXPECT_EQ(CString(dir), CString(u"\\\\?\\C:\\a.b\\"));
    EXPECT_EQ(CString(ext), CString());
    WCHAR small[4];
    EXPECT_EQ(_wsplitpath_s(u"C:\\dir\\long.txt", drive, _MAX_DRIVE, dir, _MAX_DIR, small, 4, ext, _MAX_EXT), ERANGE);
    EXPECT_EQ(CString(drive), CString());
    EXPECT_EQ(_wsplitpath_s(nullptr, drive, _MAX_DRIVE, dir, _MAX_DIR, name, _MAX_FNAME, ext, _MAX_EXT), EINVAL);
}

TEST(WideRuntime, TimeFormatting) {
    struct tm t = {};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 7;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 3;
    WCHAR buf[32];
    ASSERT_EQ(wcsftime(buf, 32, u"%Y-%m-%d %H%M%S", &t), 17u);
    EXPECT_EQ(CString(buf), CString(u"2024-03-07 090503"));
    EXPECT_EQ(wcsftime(buf, 5, u"%Y-%m-%d", &t), 0u);
    EXPECT_EQ(wcsftime(buf, 32, u"", &t), 0u);
}

TEST(WideRuntime, CodePages) {
    WCHAR wide[8];
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\xC3\xA9", -1, wide, 8), 3);
    EXPECT_EQ(CString(wide), CString(u"a\u00e9"));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, wide, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xFFz", 2, wide, 8), 2);
    EXPECT_EQ(wide[0], 0xFFFD);
    char narrow[16];
    ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00e9\U0001F600", -1, narrow, 16, nullptr, nullptr), 7);
    EXPECT_EQ(std::string(narrow), "\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, nullptr, 0, nullptr, nullptr), 3);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", 3, narrow, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
