// Hand-made catalog bytes for the catalog tests, spelled out field by field.
#pragma once

#include <cstdint>
#include <string>

namespace cattest {

// Little-endian pieces.
inline std::string I32(int32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
}
inline std::string U64(uint64_t v) {
    std::string s;
    for (int i = 0; i < 8; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}
// The Unicode string form for texts shorter than 255 code units:
// FF FE FF, one length byte, the UTF-16 LE code units.
inline std::string S(const std::u16string& text) {
    std::string s = "\xFF\xFE\xFF";
    s += static_cast<char>(text.size());
    for (char16_t ch : text) {
        s += static_cast<char>(ch & 0xFF);
        s += static_cast<char>(ch >> 8);
    }
    return s;
}
inline std::string Time64(int64_t seconds) { return I32(static_cast<int32_t>(0x8000000A)) + U64(static_cast<uint64_t>(seconds)); }

// "QXSERIALIZATION" as stored: FF FE FF 0F and 30 bytes of text.
inline std::string Signature() { return S(u"QXSERIALIZATION"); }

// A catalog with every field in use:
// drive C:\ (2 files, images 1 2), drive D:\ (0 files, image 3);
// types DOCUMENTS (doc, txt*; images 1 3) and PICTURES (no patterns; image 2);
// images E:\b\i.swm, E:\b\i2.swm;
// one big file C:\big.iso in two pieces, 5000000000 bytes, OTHERS, iso, no image;
// total 5000000000; over-length map B -> 2, a -> 1 (code-unit order).
inline std::string FullBody() {
    return I32(2) +                                         // drives
           S(u"C:\\") + I32(2) + I32(2) + I32(1) + I32(2) + //
           S(u"D:\\") + I32(0) + I32(1) + I32(3) +          //
           I32(2) +                                         // types
           S(u"DOCUMENTS") + I32(2) + S(u"doc") + S(u"txt*") + I32(2) + I32(1) + I32(3) +
           S(u"PICTURES") + I32(0) + I32(1) + I32(2) +      //
           I32(2) + S(u"E:\\b\\i.swm") + S(u"E:\\b\\i2.swm") +
           I32(1) +                                         // big files
           S(u"C:\\big.iso") + I32(2) + S(u"C:\\big.iso.000") + S(u"C:\\big.iso.001") + U64(5000000000ULL) +
           S(u"OTHERS") + S(u"iso") + I32(0) +              //
           U64(5000000000ULL) +                             // total
           I32(2) + S(u"B") + S(u"2") + S(u"a") + S(u"1");  // over-length map
}

// No drive, type, image, big file or over-length entry.
inline std::string EmptyBody() { return I32(0) + I32(0) + I32(0) + I32(0) + U64(0) + I32(0); }

inline std::string CatalogFile(const std::string& body, int64_t seconds = 1700000000) {
    return Signature() + Time64(seconds) + body;
}

}  // namespace cattest
