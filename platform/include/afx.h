// The binary archive: a buffered little-endian stream over an open file HANDLE,
// either storing or loading, with the primitive encodings of serialized data.
#pragma once

#include <exception>

#include "atlstr.h"

// An error of the archive or of the file beneath it. Thrown by every CArchive
// operation that cannot complete; the archive is unusable afterwards.
class QXPLATFORM_API CArchiveException : public std::exception {
public:
    enum Cause {
        endOfFile,  // a read past the end of the file
        badLength,  // a stored length or count that cannot fit in what remains of the file
        readFault,  // ReadFile failed
        writeFault, // WriteFile failed or wrote less than asked
        badMode,    // a read on a storing archive or a write on a loading one
    };
    CArchiveException(Cause cause, DWORD lastError) : m_cause(cause), m_lastError(lastError) {}
    const char* what() const noexcept override;

    Cause m_cause;
    DWORD m_lastError; // GetLastError() when the error arose
};

class QXPLATFORM_API CArchive {
public:
    enum Mode { store = 0, load = 1 };
    static constexpr UINT kDefaultBufferSize = 4096;

    // The archive does not own the handle. A loading archive starts reading at
    // the handle's current position and knows how many bytes the file holds.
    CArchive(HANDLE file, Mode mode, UINT bufferSize = kDefaultBufferSize);
    // Drops unflushed data without writing it: call Close to keep it.
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }
    // Writes the buffered data of a storing archive; the handle stays open.
    void Flush();
    // Flush (when storing), then no further use.
    void Close();

    // Storing.
    void WriteI32(LONG value);
    void WriteU32(DWORD value);
    void WriteU64(ULONGLONG value);
    // The Unicode form: FF FE FF, the length prefix, the UTF-16 LE code units.
    void WriteString(const CString& text);
    // The length prefix alone: one byte below 0xFF, else FF and 16 bits below
    // 0xFFFE, else FF FFFF and 32 bits below 0xFFFFFFFF, else FF FFFF FFFFFFFF and 64 bits.
    void WriteStringLength(ULONGLONG length);
    // Marker 0x8000000A, then signed 64-bit seconds since 1970-01-01 UTC.
    void WriteTime(LONGLONG seconds);
    void Write(const void* data, size_t size);

    // Loading.
    LONG ReadI32();
    DWORD ReadU32();
    ULONGLONG ReadU64();
    // Both forms: Unicode after the FF FE FF marker, else 8-bit ANSI (UTF-8 here).
    CString ReadString();
    // The 64-bit form after the marker, else the first value itself as signed 32-bit seconds.
    LONGLONG ReadTime();
    void Read(void* data, size_t size);
    // Bytes not yet read from the file.
    ULONGLONG BytesLeft() const;
    // Throws badLength unless count items of at least itemSize bytes each can
    // still follow in the file.
    void RequireRoomFor(ULONGLONG count, ULONGLONG itemSize) const;

private:
    void RequireMode(Mode mode) const;
    void FillBuffer();
    ULONGLONG ReadStringLength(bool& unicode);

    HANDLE m_file;
    Mode m_mode;
    BYTE* m_buffer;
    UINT m_bufferSize;
    UINT m_pos = 0;             // next byte in the buffer
    UINT m_end = 0;             // loading: bytes valid in the buffer
    ULONGLONG m_fileLeft = 0;   // loading: bytes of the file not yet in the buffer
    bool m_closed = false;
};

// Seconds since 1970-01-01 UTC of a FILETIME, rounded down.
QXPLATFORM_API LONGLONG QxFileTimeToUnixSeconds(const FILETIME& ft);
