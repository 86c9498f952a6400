#include "largefiles/file_copy.h"

#include "services/file_utils.h"

DWORD PieceAttributesOf(LPCWSTR path) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
}

ScopedFileHandle OpenForReading(LPCWSTR path) {
    return ScopedFileHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

ScopedFileHandle CreateForWriting(LPCWSTR path) {
    if (IsExistingFile(path)) SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return ScopedFileHandle(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

ScopedFileHandle CreateNewForWriting(LPCWSTR path) {
    return ScopedFileHandle(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_POSIX_SEMANTICS, nullptr));
}

bool CopyBytes(HANDLE from, HANDLE to, ULONGLONG limit, CopyBuffer& buffer, ULONGLONG* copied) {
    *copied = 0;
    while (*copied < limit) {
        ULONGLONG left = limit - *copied;
        DWORD want = left < CopyBuffer::kSize ? static_cast<DWORD>(left) : CopyBuffer::kSize;
        DWORD got = 0;
        if (!ReadFile(from, buffer.data(), want, &got, nullptr)) return false;
        if (got == 0) return true;  // end of file
        DWORD written = 0;
        if (!WriteFile(to, buffer.data(), got, &written, nullptr) || written != got) return false;
        *copied += got;
    }
    return true;
}

bool OpenFileSize(HANDLE file, ULONGLONG* size) {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(file, &value) || value.QuadPart < 0) return false;
    *size = static_cast<ULONGLONG>(value.QuadPart);
    return true;
}
