#include "lnk_reader.h"

#include <cstring>

#include "lnk_format.h"

namespace {

using namespace qxlnk;

// Bounds-checked little-endian reads; every failure makes the reader false.
class Reader {
public:
    explicit Reader(const std::string& bytes) : m_bytes(bytes) {}
    bool ok() const { return m_ok; }
    size_t pos() const { return m_pos; }
    void Seek(size_t pos) {
        if (pos > m_bytes.size()) m_ok = false;
        else m_pos = pos;
    }
    DWORD U(size_t size) {
        if (!m_ok || m_bytes.size() - m_pos < size) {
            m_ok = false;
            return 0;
        }
        DWORD v = 0;
        for (size_t i = 0; i < size; ++i) v |= static_cast<DWORD>(static_cast<unsigned char>(m_bytes[m_pos + i])) << (8 * i);
        m_pos += size;
        return v;
    }
    FILETIME Time() {
        FILETIME t;
        t.dwLowDateTime = U(4);
        t.dwHighDateTime = U(4);
        return t;
    }
    // Null-terminated text that must end before limit.
    std::string AnsiZ(size_t limit) {
        std::string s;
        while (m_ok && m_pos < limit && m_pos < m_bytes.size() && m_bytes[m_pos]) s += m_bytes[m_pos++];
        if (m_pos >= limit || m_pos >= m_bytes.size()) m_ok = false;
        ++m_pos;
        return s;
    }
    CString WideZ(size_t limit) {
        std::u16string s;
        for (;;) {
            if (m_pos + 2 > limit) {
                m_ok = false;
                break;
            }
            WCHAR ch = static_cast<WCHAR>(U(2));
            if (!m_ok || ch == 0) break;
            s += ch;
        }
        return CString(s);
    }
    CString Counted(bool unicode) {
        DWORD count = U(2);
        std::u16string s;
        for (DWORD i = 0; m_ok && i < count; ++i) s += static_cast<WCHAR>(U(unicode ? 2 : 1));
        return CString(s);
    }

private:
    const std::string& m_bytes;
    size_t m_pos = 0;
    bool m_ok = true;
};

bool ParseLinkInfo(Reader& in, QxShellLinkContent& link) {
    size_t start = in.pos();
    DWORD size = in.U(4);
    DWORD headerSize = in.U(4);
    DWORD flags = in.U(4);
    DWORD volumeOffset = in.U(4);
    DWORD localPathOffset = in.U(4);
    in.U(4);  // network link
    in.U(4);  // common path suffix
    DWORD localPathUnicodeOffset = headerSize >= kLinkInfoUnicodeHeaderSize ? in.U(4) : 0;
    if (!in.ok() || size < headerSize) return false;
    size_t end = start + size;
    if (flags & kVolumeIdAndLocalBasePath) {
        in.Seek(start + volumeOffset);
        in.U(4);  // volume id size
        link.driveType = in.U(4);
        link.driveSerial = in.U(4);
        link.hasVolume = true;
        if (localPathUnicodeOffset) {
            in.Seek(start + localPathUnicodeOffset);
            link.targetPath = in.WideZ(end);
        } else {
            in.Seek(start + localPathOffset);
            link.targetPath = CString::FromUtf8(in.AnsiZ(end));
        }
    }
    in.Seek(end);
    return in.ok();
}

}  // namespace

bool QxParseShellLink(const std::string& bytes, QxShellLinkContent& link) {
    if (bytes.size() < kHeaderSize || memcmp(bytes.data() + 4, kLinkClsid, sizeof kLinkClsid) != 0) return false;
    Reader in(bytes);
    if (in.U(4) != kHeaderSize) return false;
    in.Seek(20);
    DWORD flags = in.U(4);
    link.fileAttributes = in.U(4);
    link.creationTime = in.Time();
    link.accessTime = in.Time();
    link.writeTime = in.Time();
    link.fileSizeLow = in.U(4);
    in.Seek(kHeaderSize);
    if (flags & kHasTargetIdList) {
        DWORD idListSize = in.U(2);
        in.Seek(in.pos() + idListSize);
    }
    if ((flags & kHasLinkInfo) && !ParseLinkInfo(in, link)) return false;
    bool unicode = (flags & kIsUnicode) != 0;
    if (flags & kHasName) link.description = in.Counted(unicode);
    if (flags & kHasRelativePath) link.relativePath = in.Counted(unicode);
    if (flags & kHasWorkingDir) link.workingDir = in.Counted(unicode);
    if (flags & kHasArguments) link.arguments = in.Counted(unicode);
    if (flags & kHasIconLocation) in.Counted(unicode);
    return in.ok();
}
