// The binary archive: primitive encodings byte for byte, both reading forms,
// buffering across the 4096-byte boundary, and damaged input.
#include <gtest/gtest.h>

#include <functional>

#include "afx.h"
#include "catalog_bytes.h"
#include "testhost.h"

using namespace cattest;
using qxtest::TestDrives;

namespace {

class ArchiveTest : public ::testing::Test {
protected:
    TestDrives drives{{"C"}};
    const CString path = drives.Path(u"C:\\archive.bin");

    std::string Store(const std::function<void(CArchive&)>& write) {
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        {
            CArchive ar(file, CArchive::store);
            write(ar);
            ar.Close();
        }
        CloseHandle(file);
        return qxtest::ReadHostFile(drives.Host(path));
    }

    void Load(const std::string& bytes, const std::function<void(CArchive&)>& read) {
        qxtest::WriteHostFile(drives.Host(path), bytes);
        HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        try {
            CArchive ar(file, CArchive::load);
            read(ar);
        } catch (...) {
            CloseHandle(file);
            throw;
        }
        CloseHandle(file);
    }

    CArchiveException::Cause LoadFailure(const std::string& bytes, const std::function<void(CArchive&)>& read) {
        try {
            Load(bytes, read);
        } catch (const CArchiveException& e) {
            return e.m_cause;
        }
        ADD_FAILURE() << "no archive error";
        return CArchiveException::badMode;
    }
};

std::string Hex(const char* hex) {
    std::string out;
    for (const char* p = hex; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
        p += 2;
    }
    return out;
}

std::u16string Repeat(size_t n) { return std::u16string(n, u'x'); }

TEST_F(ArchiveTest, IntegersAndTimeAreLittleEndian) {
    std::string bytes = Store([](CArchive& ar) {
        ar.WriteI32(-2);
        ar.WriteI32(0x01020304);
        ar.WriteU64(0x0102030405060708ULL);
        ar.WriteTime(1700000000);
        ar.WriteTime(-1);
    });
    EXPECT_EQ(bytes, Hex("FEFFFFFF 04030201 0807060504030201"
                         "0A000080 00F1536500000000"
                         "0A000080 FFFFFFFFFFFFFFFF"));
    Load(bytes, [](CArchive& ar) {
        EXPECT_EQ(ar.ReadI32(), -2);
        EXPECT_EQ(ar.ReadI32(), 0x01020304);
        EXPECT_EQ(ar.ReadU64(), 0x0102030405060708ULL);
        EXPECT_EQ(ar.ReadTime(), 1700000000);
        EXPECT_EQ(ar.ReadTime(), -1);
        EXPECT_EQ(ar.BytesLeft(), 0u);
    });
}

TEST_F(ArchiveTest, StringsCarryTheUnicodeMarkerAndEachLengthPrefixSize) {
    struct Case {
        size_t length;
        const char* prefix;
    } cases[] = {
        {0, "FFFEFF 00"},
        {1, "FFFEFF 01"},
        {254, "FFFEFF FE"},
        {255, "FFFEFF FF FF00"},
        {65533, "FFFEFF FF FDFF"},
        {65534, "FFFEFF FF FFFF FEFF0000"},
        {70000, "FFFEFF FF FFFF 70110100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::u16string text = Repeat(c.length);
        std::string bytes = Store([&](CArchive& ar) { ar.WriteString(CString(text)); });
        std::string expected = Hex(c.prefix);
        for (char16_t ch : text) expected += std::string{static_cast<char>(ch), '\0'};
        EXPECT_EQ(bytes, expected);
        Load(bytes, [&](CArchive& ar) { EXPECT_EQ(ar.ReadString().str(), text); });
    }
}

TEST_F(ArchiveTest, LengthPrefixesBeyond32Bits) {
    std::string bytes = Store([](CArchive& ar) {
        ar.WriteStringLength(0xFFFFFFFEULL);
        ar.WriteStringLength(0xFFFFFFFFULL);
        ar.WriteStringLength(0x0000000100000000ULL);
    });
    EXPECT_EQ(bytes, Hex("FF FFFF FEFFFFFF"
                         "FF FFFF FFFFFFFF FFFFFFFF00000000"
                         "FF FFFF FFFFFFFF 0000000001000000"));
}

TEST_F(ArchiveTest, TextKeepsEveryCodeUnit) {
    const std::u16string text = u"C:\\Ünï\xD83D\xDE00\xFFFF\x0001";
    std::string bytes = Store([&](CArchive& ar) { ar.WriteString(CString(text)); });
    Load(bytes, [&](CArchive& ar) { EXPECT_EQ(ar.ReadString().str(), text); });
}

// 8-bit strings are read in the ANSI code page: Windows-1252 in the Linux
// build; in the Windows build the process's, UTF-8 for the test programs.
#ifdef _WIN32
const std::u16string kAnsiE282AC = u"\u20AC";
#else
const std::u16string kAnsiE282AC = u"\u00E2\u201A\u00AC";
#endif

TEST_F(ArchiveTest, ReadsEightBitStringsInTheAnsiCodePage) {
    Load(Hex("05 68656C6C6F"              // one-byte length
             "03 E282AC"                  // three bytes above 0x7F
             "FF 0001") + std::string(256, 'a') +  // 16-bit length
             Hex("FF FFFF 03000000 616263"         // 32-bit length
                 "FF FFFF FFFFFFFF 0200000000000000 6869"  // 64-bit length
                 "00"),                                    // empty
         [](CArchive& ar) {
             EXPECT_EQ(ar.ReadString().str(), u"hello");
             EXPECT_EQ(ar.ReadString().str(), kAnsiE282AC);
             EXPECT_EQ(ar.ReadString().str(), std::u16string(256, u'a'));
             EXPECT_EQ(ar.ReadString().str(), u"abc");
             EXPECT_EQ(ar.ReadString().str(), u"hi");
             EXPECT_EQ(ar.ReadString().str(), u"");
         });
}

TEST_F(ArchiveTest, ReadsUnicodeStringsWithEveryPrefixSize) {
    Load(Hex("FFFEFF FF 0300 610062006300"                       // 16-bit length
             "FFFEFF FF FFFF 02000000 78007900"                  // 32-bit length
             "FFFEFF FF FFFF FFFFFFFF 0100000000000000 7A00"),   // 64-bit length
         [](CArchive& ar) {
             EXPECT_EQ(ar.ReadString().str(), u"abc");
             EXPECT_EQ(ar.ReadString().str(), u"xy");
             EXPECT_EQ(ar.ReadString().str(), u"z");
         });
}

TEST_F(ArchiveTest, ReadsTheOld32BitTimeForm) {
    Load(Hex("00F15365 FFFFFFFF 07000000"), [](CArchive& ar) {
        EXPECT_EQ(ar.ReadTime(), 1700000000);
        EXPECT_EQ(ar.ReadTime(), -1);
        EXPECT_EQ(ar.ReadI32(), 7);  // nothing more was consumed
    });
}

TEST_F(ArchiveTest, DataCrossesTheBufferBoundary) {
    const int n = 5000;  // 20000 bytes, several buffers
    std::string bytes = Store([&](CArchive& ar) {
        for (int i = 0; i < n; ++i) ar.WriteI32(i * 7);
        ar.WriteString(CString(Repeat(3000)));
    });
    EXPECT_EQ(bytes.size(), static_cast<size_t>(n) * 4 + 6 + 6000);
    Load(bytes, [&](CArchive& ar) {
        for (int i = 0; i < n; ++i) ASSERT_EQ(ar.ReadI32(), i * 7);
        EXPECT_EQ(ar.ReadString().str(), Repeat(3000));
    });
}

TEST_F(ArchiveTest, ReadingPastTheEndIsAnError) {
    EXPECT_EQ(LoadFailure(Hex("010203"), [](CArchive& ar) { ar.ReadI32(); }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadFailure("", [](CArchive& ar) { ar.ReadString(); }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadFailure(Hex("FFFEFF FF"), [](CArchive& ar) { ar.ReadString(); }), CArchiveException::endOfFile);
    EXPECT_EQ(LoadFailure(Hex("0A000080 0102"), [](CArchive& ar) { ar.ReadTime(); }),
              CArchiveException::endOfFile);
}

TEST_F(ArchiveTest, ALengthBeyondTheFileIsRejectedBeforeReading) {
    EXPECT_EQ(LoadFailure(Hex("FFFEFF 03 61006200"), [](CArchive& ar) { ar.ReadString(); }),
              CArchiveException::badLength);
    EXPECT_EQ(LoadFailure(Hex("FFFEFF FF FFFF FEFFFF7F 6100"), [](CArchive& ar) { ar.ReadString(); }),
              CArchiveException::badLength);
    EXPECT_EQ(LoadFailure(Hex("FFFEFF FF FFFF FFFFFFFF FFFFFFFFFFFFFF7F"), [](CArchive& ar) { ar.ReadString(); }),
              CArchiveException::badLength);
    EXPECT_EQ(LoadFailure(Hex("FF FFFF FFFFFFFF FFFFFFFFFFFFFFFF"), [](CArchive& ar) { ar.ReadString(); }),
              CArchiveException::badLength);
    EXPECT_EQ(LoadFailure(Hex("0500 61"), [](CArchive& ar) { ar.ReadString(); }), CArchiveException::badLength);
}

TEST_F(ArchiveTest, RoomForCountedItems) {
    Load(std::string(12, '\0'), [](CArchive& ar) {
        EXPECT_NO_THROW(ar.RequireRoomFor(3, 4));
        EXPECT_THROW(ar.RequireRoomFor(4, 4), CArchiveException);
        EXPECT_THROW(ar.RequireRoomFor(0xFFFFFFFFFFFFFFFFULL, 8), CArchiveException);
        ar.ReadI32();
        EXPECT_EQ(ar.BytesLeft(), 8u);
        EXPECT_THROW(ar.RequireRoomFor(3, 4), CArchiveException);
    });
}

TEST_F(ArchiveTest, WrongDirectionIsAnError) {
    EXPECT_EQ(LoadFailure(Hex("01000000"), [](CArchive& ar) { ar.WriteI32(1); }), CArchiveException::badMode);
    Store([](CArchive& ar) { EXPECT_THROW(ar.ReadI32(), CArchiveException); });
}

}  // namespace
