// The translating layer below streams opened with _wfopen: the FILE carries
// UTF-8 text with "\n" line ends, the file holds the runtime's on-disk form
// (CR LF in text mode, UTF-16 LE or UTF-8 with a byte-order mark for ccs=).
#pragma once

#include <sys/types.h>

#include <cstdio>

#include <string>

enum class QxTextEncoding { Ansi, Utf8, Utf16le };

class QxTextStream {
public:
    QxTextStream(int fd, QxTextEncoding encoding, bool translateNewlines, bool atStart)
        : m_fd(fd), m_encoding(encoding), m_text(translateNewlines), m_atStart(atStart) {}
    ssize_t Read(char* buf, size_t size);
    ssize_t Write(const char* buf, size_t size);
    int Seek(off_t* offset, int whence);
    int Close();

private:
    bool Fill();
    void ConvertBytes(const std::string& chunk, bool end);
    void ConvertUtf16(const std::string& chunk, bool end);
    bool WriteAll(const std::string& bytes);

    int m_fd;
    QxTextEncoding m_encoding;
    bool m_text;
    bool m_atStart;            // the next read starts at offset 0, where a byte-order mark may sit
    bool m_eof = false;
    std::string m_ready;       // converted bytes not yet handed to the FILE
    size_t m_readyPos = 0;
    std::string m_carryIn;     // disk bytes that need what follows (CR, odd byte, high surrogate)
    std::string m_carryOut;    // the start of a UTF-8 sequence cut by the FILE's buffer
};

// Whether a FILE is a text stream _wfopen opened without an encoding ("t",
// no ccs=). The runtime's wide functions convert on such a stream through the
// C locale, as the Windows runtime does: one byte per character up to U+00FF,
// and no other character.
bool QxIsLocaleTextStream(FILE* file);
