#include "text_stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "utf8_codec.h"

namespace {

constexpr size_t kChunk = 1 << 16;

void AppendUnitLe(std::string& out, char16_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
}

}  // namespace

bool QxTextStream::WriteAll(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

ssize_t QxTextStream::Write(const char* buf, size_t size) {
    m_atStart = false;
    std::string out;
    if (m_encoding != QxTextEncoding::Utf16le) {
        if (!m_text) return WriteAll(std::string(buf, size)) ? static_cast<ssize_t>(size) : 0;
        out.reserve(size + size / 16);
        for (size_t i = 0; i < size; ++i) {
            if (buf[i] == '\n') out += '\r';
            out += buf[i];
        }
        return WriteAll(out) ? static_cast<ssize_t>(size) : 0;
    }
    std::string in = m_carryOut + std::string(buf, size);
    m_carryOut.clear();
    out.reserve(in.size() * 2);
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    size_t i = 0;
    while (i < in.size()) {
        if (p[i] < 0x80) {  // the common case, taken without decoding
            if (p[i] == '\n' && m_text) AppendUnitLe(out, u'\r');
            AppendUnitLe(out, p[i++]);
            continue;
        }
        char32_t cp;
        size_t used = QxDecodeUtf8(p + i, in.size() - i, cp);
        if (used == 0) {  // the rest of this character comes with the next write
            m_carryOut = in.substr(i);
            break;
        }
        i += used;
        if (cp == U'\n' && m_text) AppendUnitLe(out, u'\r');
        std::u16string units;
        QxAppendUtf16(units, cp);
        for (char16_t u : units) AppendUnitLe(out, u);
    }
    return WriteAll(out) ? static_cast<ssize_t>(size) : 0;
}

void QxTextStream::ConvertBytes(const std::string& chunk, bool end) {
    std::string in = m_carryIn + chunk;
    m_carryIn.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\r' && m_text) {
            if (i + 1 == in.size() && !end) {
                m_carryIn = "\r";
                break;
            }
            if (i + 1 < in.size() && in[i + 1] == '\n') continue;  // CR LF reads as LF
        }
        m_ready += in[i];
    }
}

void QxTextStream::ConvertUtf16(const std::string& chunk, bool end) {
    std::string in = m_carryIn + chunk;
    m_carryIn.clear();
    size_t units = in.size() / 2;
    auto unitAt = [&](size_t k) {
        return static_cast<char16_t>(static_cast<unsigned char>(in[2 * k]) |
                                     (static_cast<unsigned char>(in[2 * k + 1]) << 8));
    };
    size_t k = 0;
    for (; k < units; ++k) {
        char16_t u = unitAt(k);
        bool last = k + 1 == units;
        if (last && !end && ((u == u'\r' && m_text) || (u >= 0xD800 && u <= 0xDBFF))) break;  // needs the next unit
        if (u == u'\r' && m_text && !last && unitAt(k + 1) == u'\n') continue;
        char32_t cp = u;
        if (u >= 0xD800 && u <= 0xDBFF && !last && unitAt(k + 1) >= 0xDC00 && unitAt(k + 1) <= 0xDFFF) {
            cp = 0x10000 + ((u - 0xD800) << 10) + (unitAt(k + 1) - 0xDC00);
            ++k;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            cp = 0xFFFD;
        }
        QxAppendUtf8(m_ready, cp);
    }
    if (!end) m_carryIn = in.substr(2 * k);  // an odd byte is dropped only at the end
}

bool QxTextStream::Fill() {
    m_ready.clear();
    m_readyPos = 0;
    while (m_ready.empty() && !m_eof) {
        std::string chunk(kChunk, '\0');
        ssize_t n = read(m_fd, &chunk[0], chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        chunk.resize(static_cast<size_t>(n));
        if (m_atStart) {
            m_atStart = false;
            if (m_encoding == QxTextEncoding::Utf16le && chunk.compare(0, 2, "\xFF\xFE") == 0) chunk.erase(0, 2);
            if (m_encoding == QxTextEncoding::Utf8 && chunk.compare(0, 3, "\xEF\xBB\xBF") == 0) chunk.erase(0, 3);
        }
        m_eof = n == 0;
        if (m_encoding == QxTextEncoding::Utf16le) ConvertUtf16(chunk, m_eof);
        else ConvertBytes(chunk, m_eof);
    }
    return true;
}

ssize_t QxTextStream::Read(char* buf, size_t size) {
    if (m_encoding == QxTextEncoding::Ansi && !m_text) {
        for (;;) {
            ssize_t n = read(m_fd, buf, size);
            if (n >= 0 || errno != EINTR) return n;
        }
    }
    if (m_readyPos == m_ready.size() && !Fill()) return -1;
    size_t n = std::min(size, m_ready.size() - m_readyPos);
    std::memcpy(buf, m_ready.data() + m_readyPos, n);
    m_readyPos += n;
    return static_cast<ssize_t>(n);
}

int QxTextStream::Seek(off_t* offset, int whence) {
    off_t pos = lseek(m_fd, *offset, whence);
    if (pos < 0) return -1;
    // Translation state belongs to the old position.
    m_ready.clear();
    m_readyPos = 0;
    m_carryIn.clear();
    m_carryOut.clear();
    m_eof = false;
    m_atStart = pos == 0;
    *offset = pos;
    return 0;
}

int QxTextStream::Close() {
    bool ok = true;
    if (!m_carryOut.empty()) {  // a character left unfinished
        m_carryOut.clear();
        ok = Write("\xEF\xBF\xBD", 3) == 3;
    }
    if (close(m_fd) != 0 && errno != EINTR) ok = false;
    return ok ? 0 : -1;
}
