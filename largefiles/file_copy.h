// Streamed copying between open files through one fixed buffer, so that a
// piece of any size is never held in memory whole.
#pragma once

#include <vector>

#include "windows.h"
#include "services/scoped_handle.h"

// Opens an existing file for reading in byte mode, sharing read and write.
ScopedFileHandle OpenForReading(LPCWSTR path);
// Creates or truncates a file for writing in byte mode, sharing read and write;
// the attributes of an existing file are reset to normal first.
ScopedFileHandle CreateForWriting(LPCWSTR path);
// Creates a file for writing in byte mode, sharing read and write; fails with
// ERROR_FILE_EXISTS when the name is taken as spelled (a name differing only
// in letter case is another file).
ScopedFileHandle CreateNewForWriting(LPCWSTR path);

// The attributes a big file hands to its pieces and gets back from them.
// 0 when they cannot be read.
DWORD PieceAttributesOf(LPCWSTR path);

// A copy buffer of a few MiB.
class CopyBuffer {
public:
    static const DWORD kSize = 4u << 20;
    CopyBuffer() : m_bytes(kSize) {}
    BYTE* data() { return m_bytes.data(); }

private:
    std::vector<BYTE> m_bytes;
};

// Copies up to limit bytes from the read position of from to the write
// position of to, stopping early at the end of from. False on a failed read
// or a failed or short write; *copied is the count written either way.
bool CopyBytes(HANDLE from, HANDLE to, ULONGLONG limit, CopyBuffer& buffer, ULONGLONG* copied);
// Size of an open file; false when it cannot be read.
bool OpenFileSize(HANDLE file, ULONGLONG* size);
