// _wfopen: the runtime's open modes on a FILE made with fopencookie.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>

#include "atlstr.h"
#include "file_open.h"
#include "last_error.h"
#include "text_stream.h"
#include "wcrt.h"

namespace {

struct Mode {
    WCHAR kind = 0;  // r, w or a
    bool plus = false, binary = false, exclusive = false, ccs = false;
    QxTextEncoding encoding = QxTextEncoding::Ansi;
};

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t'; }

// Parses "r|w|a[+][t|b][,ccs=UNICODE|UTF-8|UTF-16LE]" and the runtime's extra flag letters.
bool ParseMode(const WCHAR* text, Mode& mode) {
    const WCHAR* p = text;
    while (IsBlank(*p)) ++p;
    if (*p != u'r' && *p != u'w' && *p != u'a') return false;
    mode.kind = *p++;
    bool sawT = false;
    for (; *p && *p != u','; ++p) {
        switch (*p) {
        case u'+': if (mode.plus) return false; mode.plus = true; break;
        case u't': if (mode.binary) return false; sawT = true; break;
        case u'b': if (sawT) return false; mode.binary = true; break;
        case u'x': if (mode.kind != u'w') return false; mode.exclusive = true; break;
        case u'c': case u'n': case u'S': case u'R': case u'T': case u'D': case u'N': case u'e': break;
        case u' ': break;
        default: return false;
        }
    }
    if (!*p) return true;
    ++p;
    while (IsBlank(*p)) ++p;
    if (!(p[0] == u'c' && p[1] == u'c' && p[2] == u's')) return false;
    p += 3;
    while (IsBlank(*p)) ++p;
    if (*p++ != u'=') return false;
    while (IsBlank(*p)) ++p;
    CString value(p);
    value.TrimRight(u" \t");
    if (value.CompareNoCase(u"UNICODE") == 0 || value.CompareNoCase(u"UTF-16LE") == 0)
        mode.encoding = QxTextEncoding::Utf16le;
    else if (value.CompareNoCase(u"UTF-8") == 0)
        mode.encoding = QxTextEncoding::Utf8;
    else
        return false;
    mode.ccs = true;
    return true;
}

int ErrnoFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER: return EINVAL;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_DISK_FULL: return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY: return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EIO;
    }
}

FILE* Fail(DWORD error) {
    SetLastError(error);
    errno = ErrnoFor(error);
    return nullptr;
}

// The encoding a byte-order mark at the start of the file announces.
QxTextEncoding EncodingOfFile(int fd, QxTextEncoding fallback, off_t* bomSize) {
    unsigned char bom[3] = {};
    ssize_t n = pread(fd, bom, sizeof bom, 0);
    *bomSize = 0;
    if (n >= 2 && bom[0] == 0xFF && bom[1] == 0xFE) {
        *bomSize = 2;
        return QxTextEncoding::Utf16le;
    }
    if (n == 3 && bom[0] == 0xEF && bom[1] == 0xBB && bom[2] == 0xBF) {
        *bomSize = 3;
        return QxTextEncoding::Utf8;
    }
    return fallback;
}

bool WriteBom(int fd, QxTextEncoding encoding) {
    const char* bom = encoding == QxTextEncoding::Utf16le ? "\xFF\xFE" : "\xEF\xBB\xBF";
    size_t n = encoding == QxTextEncoding::Utf16le ? 2 : 3;
    return write(fd, bom, n) == static_cast<ssize_t>(n);
}

// The open text streams without an encoding, with the stream below each.
std::mutex g_localeStreamsMutex;
std::map<FILE*, QxTextStream*> g_localeStreams;

void ForgetLocaleStream(QxTextStream* stream) {
    std::lock_guard<std::mutex> lock(g_localeStreamsMutex);
    for (auto it = g_localeStreams.begin(); it != g_localeStreams.end();) {
        it = it->second == stream ? g_localeStreams.erase(it) : std::next(it);
    }
}

const cookie_io_functions_t kCookieFunctions = {
    [](void* c, char* buf, size_t size) { return static_cast<QxTextStream*>(c)->Read(buf, size); },
    [](void* c, const char* buf, size_t size) { return static_cast<QxTextStream*>(c)->Write(buf, size); },
    [](void* c, off64_t* offset, int whence) {
        off_t pos = static_cast<off_t>(*offset);
        int r = static_cast<QxTextStream*>(c)->Seek(&pos, whence);
        *offset = pos;
        return r;
    },
    [](void* c) {
        auto* stream = static_cast<QxTextStream*>(c);
        ForgetLocaleStream(stream);
        int r = stream->Close();
        delete stream;
        return r;
    },
};

FILE* Open(const WCHAR* filename, const WCHAR* modeText) {
    Mode mode;
    if (!filename || !modeText || !ParseMode(modeText, mode)) return Fail(ERROR_INVALID_PARAMETER);
    QxHostPath mapped;
    DWORD error = 0;
    if (!QxMapPath(filename, mapped, &error)) return Fail(error);
    QxOpenRequest request;
    request.access.read = mode.kind == u'r' || mode.plus;
    request.access.write = mode.kind != u'r' || mode.plus;
    request.shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
    request.disposition = mode.kind == u'r' ? OPEN_EXISTING
                        : mode.kind == u'a' ? OPEN_ALWAYS
                        : mode.exclusive    ? CREATE_NEW : CREATE_ALWAYS;
    request.append = mode.kind == u'a';
    int fd = QxOpenFile(mapped, request, nullptr, &error);
    if (fd < 0) return Fail(error);
    QxTextEncoding encoding = mode.encoding;
    bool atStart = true;
    if (mode.ccs) {
        struct stat st;
        bool empty = fstat(fd, &st) == 0 && st.st_size == 0;
        off_t bomSize = 0;
        if (!empty) encoding = EncodingOfFile(fd, mode.encoding, &bomSize);
        if (empty && mode.kind != u'r' && !WriteBom(fd, encoding)) {
            int err = errno;
            close(fd);
            return Fail(QxWin32FromErrno(err));
        }
        if (empty) atStart = false;
    }
    const char* hostMode = request.access.read && request.access.write ? "r+" : request.access.read ? "r" : "w";
    auto* stream = new QxTextStream(fd, encoding, !mode.binary, atStart);
    FILE* file = fopencookie(stream, hostMode, kCookieFunctions);
    if (!file) {
        stream->Close();
        delete stream;
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    if (!mode.ccs && !mode.binary) {
        std::lock_guard<std::mutex> lock(g_localeStreamsMutex);
        g_localeStreams[file] = stream;
    }
    return file;
}

}  // namespace

bool QxIsLocaleTextStream(FILE* file) {
    std::lock_guard<std::mutex> lock(g_localeStreamsMutex);
    return g_localeStreams.count(file) != 0;
}

FILE* _wfopen(const WCHAR* filename, const WCHAR* mode) {
    try {
        return Open(filename, mode);
    } catch (...) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
