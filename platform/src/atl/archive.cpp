#include "afx.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kTimeMarker = 0x8000000A;
constexpr LONGLONG kFileTimeTicksPerSecond = 10000000;
constexpr LONGLONG kFileTimeTicksTo1970 = 116444736000000000LL;

// 8-bit strings are in the ANSI code page of the system that wrote them: on
// Windows the process's own (CP_ACP); on Linux, whose ANSI code page is UTF-8
// here, Windows-1252 (Western European), the code page of the systems that
// wrote such catalogs.
#ifdef _WIN32
constexpr UINT kEightBitCodePage = CP_ACP;
#else
constexpr UINT kEightBitCodePage = 1252;
#endif

[[noreturn]] void Fail(CArchiveException::Cause cause) { throw CArchiveException(cause, GetLastError()); }

CString FromEightBit(const std::string& bytes) {
    if (bytes.empty()) return CString();
    if (bytes.size() > 0x7FFFFFFF) Fail(CArchiveException::badLength);
    const int size = static_cast<int>(bytes.size());
    std::u16string text(static_cast<size_t>(MultiByteToWideChar(kEightBitCodePage, 0, bytes.data(), size, nullptr, 0)),
                        u'\0');
    if (text.empty() ||
        MultiByteToWideChar(kEightBitCodePage, 0, bytes.data(), size, reinterpret_cast<LPWSTR>(text.data()),
                            static_cast<int>(text.size())) != static_cast<int>(text.size()))
        Fail(CArchiveException::readFault);
    return CString(std::move(text));
}

}  // namespace

const char* CArchiveException::what() const noexcept {
    switch (m_cause) {
    case endOfFile: return "archive: read past the end of the file";
    case badLength: return "archive: stored length does not fit in the file";
    case readFault: return "archive: read error";
    case writeFault: return "archive: write error";
    case badMode: return "archive: wrong direction";
    }
    return "archive error";
}

CArchive::CArchive(HANDLE file, Mode mode, UINT bufferSize)
    : m_file(file), m_mode(mode), m_buffer(new BYTE[bufferSize ? bufferSize : 1]),
      m_bufferSize(bufferSize ? bufferSize : 1) {
    if (mode != load) return;
    LARGE_INTEGER size{}, pos{}, zero{};
    if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, zero, &pos, FILE_CURRENT)) {
        delete[] m_buffer;
        Fail(CArchiveException::readFault);
    }
    m_fileLeft = size.QuadPart > pos.QuadPart ? static_cast<ULONGLONG>(size.QuadPart - pos.QuadPart) : 0;
}

CArchive::~CArchive() { delete[] m_buffer; }

void CArchive::RequireMode(Mode mode) const {
    if (m_mode != mode || m_closed) throw CArchiveException(CArchiveException::badMode, ERROR_INVALID_FUNCTION);
}

void CArchive::Flush() {
    if (m_mode != store || m_pos == 0) return;
    DWORD written = 0;
    if (!WriteFile(m_file, m_buffer, m_pos, &written, nullptr)) Fail(CArchiveException::writeFault);
    if (written != m_pos) throw CArchiveException(CArchiveException::writeFault, ERROR_WRITE_FAULT);
    m_pos = 0;
}

void CArchive::Close() {
    if (m_closed) return;
    Flush();
    m_closed = true;
}

void CArchive::Write(const void* data, size_t size) {
    RequireMode(store);
    const BYTE* p = static_cast<const BYTE*>(data);
    while (size > 0) {
        if (m_pos == m_bufferSize) Flush();
        size_t n = std::min<size_t>(size, m_bufferSize - m_pos);
        std::memcpy(m_buffer + m_pos, p, n);
        m_pos += static_cast<UINT>(n);
        p += n;
        size -= n;
    }
}

void CArchive::WriteU32(DWORD value) {
    BYTE b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<BYTE>(value >> (8 * i));
    Write(b, sizeof b);
}

void CArchive::WriteI32(LONG value) { WriteU32(static_cast<DWORD>(value)); }

void CArchive::WriteU64(ULONGLONG value) {
    BYTE b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<BYTE>(value >> (8 * i));
    Write(b, sizeof b);
}

void CArchive::WriteStringLength(ULONGLONG length) {
    auto writeU16 = [this](WORD v) {
        BYTE b[2] = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)};
        Write(b, sizeof b);
    };
    const BYTE escape = 0xFF;
    if (length < 0xFF) {
        BYTE b = static_cast<BYTE>(length);
        Write(&b, 1);
        return;
    }
    Write(&escape, 1);
    if (length < 0xFFFE) {
        writeU16(static_cast<WORD>(length));
        return;
    }
    writeU16(0xFFFF);
    if (length < 0xFFFFFFFFULL) {
        WriteU32(static_cast<DWORD>(length));
        return;
    }
    WriteU32(0xFFFFFFFF);
    WriteU64(length);
}

void CArchive::WriteString(const CString& text) {
    const BYTE unicodeMarker[3] = {0xFF, 0xFE, 0xFF};
    Write(unicodeMarker, sizeof unicodeMarker);
    WriteStringLength(static_cast<ULONGLONG>(text.GetLength()));
    const std::u16string& s = text.str();
    BYTE b[2];
    for (char16_t ch : s) {
        b[0] = static_cast<BYTE>(ch);
        b[1] = static_cast<BYTE>(ch >> 8);
        Write(b, sizeof b);
    }
}

void CArchive::WriteTime(LONGLONG seconds) {
    WriteU32(kTimeMarker);
    WriteU64(static_cast<ULONGLONG>(seconds));
}

void CArchive::FillBuffer() {
    if (m_fileLeft == 0) throw CArchiveException(CArchiveException::endOfFile, ERROR_HANDLE_EOF);
    DWORD want = static_cast<DWORD>(std::min<ULONGLONG>(m_fileLeft, m_bufferSize));
    DWORD got = 0;
    if (!ReadFile(m_file, m_buffer, want, &got, nullptr)) Fail(CArchiveException::readFault);
    if (got == 0) throw CArchiveException(CArchiveException::endOfFile, ERROR_HANDLE_EOF);
    m_pos = 0;
    m_end = got;
    m_fileLeft -= std::min<ULONGLONG>(got, m_fileLeft);
}

void CArchive::Read(void* data, size_t size) {
    RequireMode(load);
    BYTE* p = static_cast<BYTE*>(data);
    while (size > 0) {
        if (m_pos == m_end) FillBuffer();
        size_t n = std::min<size_t>(size, m_end - m_pos);
        std::memcpy(p, m_buffer + m_pos, n);
        m_pos += static_cast<UINT>(n);
        p += n;
        size -= n;
    }
}

DWORD CArchive::ReadU32() {
    BYTE b[4];
    Read(b, sizeof b);
    return static_cast<DWORD>(b[0]) | (static_cast<DWORD>(b[1]) << 8) | (static_cast<DWORD>(b[2]) << 16) |
           (static_cast<DWORD>(b[3]) << 24);
}

LONG CArchive::ReadI32() { return static_cast<LONG>(ReadU32()); }

ULONGLONG CArchive::ReadU64() {
    BYTE b[8];
    Read(b, sizeof b);
    ULONGLONG v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | b[i];
    return v;
}

ULONGLONG CArchive::BytesLeft() const { return static_cast<ULONGLONG>(m_end - m_pos) + m_fileLeft; }

void CArchive::RequireRoomFor(ULONGLONG count, ULONGLONG itemSize) const {
    if (itemSize != 0 && count > BytesLeft() / itemSize)
        throw CArchiveException(CArchiveException::badLength, ERROR_INVALID_DATA);
}

// After the FF FE FF marker the length follows again in the same scheme.
ULONGLONG CArchive::ReadStringLength(bool& unicode) {
    unicode = false;
    BYTE b;
    Read(&b, 1);
    if (b < 0xFF) return b;
    BYTE wb[2];
    Read(wb, 2);
    WORD w = static_cast<WORD>(wb[0] | (wb[1] << 8));
    if (w == 0xFFFE) {
        unicode = true;
        Read(&b, 1);
        if (b < 0xFF) return b;
        Read(wb, 2);
        w = static_cast<WORD>(wb[0] | (wb[1] << 8));
    }
    if (w < 0xFFFF) return w;
    DWORD d = ReadU32();
    if (d < 0xFFFFFFFF) return d;
    return ReadU64();
}

CString CArchive::ReadString() {
    bool unicode = false;
    ULONGLONG length = ReadStringLength(unicode);
    RequireRoomFor(length, unicode ? 2 : 1);
    if (!unicode) {
        std::string bytes(static_cast<size_t>(length), '\0');
        Read(bytes.data(), bytes.size());
        return FromEightBit(bytes);
    }
    std::u16string text(static_cast<size_t>(length), u'\0');
    BYTE b[2];
    for (char16_t& ch : text) {
        Read(b, sizeof b);
        ch = static_cast<char16_t>(b[0] | (b[1] << 8));
    }
    return CString(std::move(text));
}

LONGLONG CArchive::ReadTime() {
    DWORD first = ReadU32();
    if (first != kTimeMarker) return static_cast<LONG>(first);
    return static_cast<LONGLONG>(ReadU64());
}

LONGLONG QxFileTimeToUnixSeconds(const FILETIME& ft) {
    LONGLONG ticks = static_cast<LONGLONG>((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
    LONGLONG since1970 = ticks - kFileTimeTicksTo1970;
    LONGLONG seconds = since1970 / kFileTimeTicksPerSecond;
    if (since1970 % kFileTimeTicksPerSecond < 0) --seconds;
    return seconds;
}
