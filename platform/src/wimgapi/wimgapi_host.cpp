// The WIMGAPI layer on Linux: wimlib's text is UTF-8, host paths come from
// the drive table, the image carries the mode bits and the DOS bits as UNIX
// data, and wimlib's messages are kept in memory.
#include "wimgapi_host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "drive_table.h"
#include "last_error.h"
#include "qxplatform.h"
#include "utf8_codec.h"
#include "wimgapi.h"

namespace {

// Library messages waiting to be taken; bounded so a chatty run cannot grow it without limit.
const size_t kMaxPendingMessages = 64 * 1024;
std::mutex g_messagesLock;
std::string g_pendingMessages;
bool g_messagesDropped = false;

ssize_t KeepLibraryText(void*, const char* buffer, size_t size) {
    std::lock_guard<std::mutex> lock(g_messagesLock);
    size_t room = kMaxPendingMessages - std::min(kMaxPendingMessages, g_pendingMessages.size());
    g_pendingMessages.append(buffer, std::min(size, room));
    if (size > room) g_messagesDropped = true;
    return static_cast<ssize_t>(size);
}

bool IsBelow(const std::string& path, const std::string& folder) {
    if (folder == "/") return path.size() > 1 && path[0] == '/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

}  // namespace

CString FromHostText(const HostChar* text) { return CString::FromUtf8(text ? text : ""); }

HostString ToHostText(const CString& text) { return text.ToUtf8(); }

bool IsHostSeparator(HostChar c) { return c == '/'; }

bool HostPathOf(LPCWSTR winPath, HostString& hostPath) {
    if (!winPath || !*winPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (QxToHostPath(winPath, hostPath, &error)) return true;
    SetLastError(error ? error : ERROR_PATH_NOT_FOUND);
    return false;
}

void ScannedFormInto(HostStringView path, HostString& out) {
    out.clear();
    for (char c : path)
        if (c != '/' || out.empty() || out.back() != '/') out += c;
    while (out.size() > 1 && out.back() == '/') out.pop_back();
}

// The mode bits and the extended attributes (user.DOSATTRIB: hidden, system,
// archive) travel as UNIX data; wimlib leaves the image's own attribute field normal.
int HostCaptureFlags() { return WIMLIB_ADD_FLAG_UNIX_DATA; }

// The UNIX data brings back each item's mode bits and extended attributes (the
// DOS bits), and its owner where the process may set it; elsewhere that step
// only warns. Without UNIX data an item gets the process's owner and umask,
// and normal attributes.
int HostExtractFlags() { return WIMLIB_EXTRACT_FLAG_NO_ACLS | WIMLIB_EXTRACT_FLAG_UNIX_DATA; }

// wimlib extracts a name holding '/' nowhere, and a name of more bytes than
// the host allows fails the whole extraction (an NTFS name of 255 UTF-16
// units can take 765 bytes).
DWORD UnusableNameError(const HostChar* name) {
    if (!name) return 0;
    if (std::strchr(name, '/') || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        return ERROR_INVALID_NAME;
    if (std::strlen(name) > NAME_MAX) return ERROR_FILENAME_EXCED_RANGE;
    return 0;
}

// The image keeps UTF-16 names, and bytes that are not UTF-8 have no UTF-16 form.
bool IsStorableName(const HostChar* name) {
    bool invalid = false;
    QxUtf8ToUtf16(name, std::strlen(name), &invalid);
    return !invalid;
}

// Found once, so that each item offered costs one look-up.
std::unordered_set<HostString> RootsLeftOut(const HostString& source) {
    std::unordered_set<std::string> found;
    for (WCHAR letter = u'A'; letter <= u'Z'; ++letter) {
        const QxDrive* drive = QxFindDrive(letter);
        if (!drive) continue;
        std::string root = ScannedForm(QxDriveRootDir(*drive));
        if (IsBelow(root, source)) found.insert(root);
    }
    struct stat sourceStat;
    char* real = stat(source.c_str(), &sourceStat) == 0 ? realpath(source.c_str(), nullptr) : nullptr;
    if (!real) return found;
    const std::string realSource = real;
    std::free(real);
    // Mount points are named without symlinks; the scan names items below the source as given.
    const std::string scannedRoot = source == "/" ? std::string() : source;
    for (const std::string& point : QxHostMountPoints()) {
        if (!IsBelow(point, realSource)) continue;
        std::string scanned = scannedRoot + (realSource == "/" ? point : point.substr(realSource.size()));
        struct stat st;
        if (lstat(scanned.c_str(), &st) == 0 && st.st_dev != sourceStat.st_dev) found.insert(scanned);
    }
    return found;
}

void RouteLibraryMessages() {
    cookie_io_functions_t io{};
    io.write = KeepLibraryText;
    if (FILE* sink = fopencookie(nullptr, "w", io)) {
        setvbuf(sink, nullptr, _IONBF, 0);
        wimlib_set_error_file(sink);
        wimlib_set_print_errors(true);
    } else {
        wimlib_set_print_errors(false);
    }
}

HostEntry HostEntryKind(const HostString& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return HostEntry::Missing;
    return S_ISDIR(st.st_mode) ? HostEntry::Folder : HostEntry::File;
}

uint64_t HostFileSize(const HostString& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

void RemoveHostFile(const HostString& path) { unlink(path.c_str()); }

bool MakeScratchFolder(const HostString& base, HostString& made) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = (!base.empty() ? base : tmp && *tmp ? tmp : "/tmp") + "/wimgapi-verify-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        QxSetLastErrorFromErrno(errno);
        return false;
    }
    made = pattern;
    return true;
}

void RemoveHostFolder(const HostString& path) { rmdir(path.c_str()); }

CString QxTakeWimLibraryMessages() {
    std::lock_guard<std::mutex> lock(g_messagesLock);
    std::string text;
    text.swap(g_pendingMessages);
    if (g_messagesDropped) text += "(further library messages were dropped)\n";
    g_messagesDropped = false;
    return CString::FromUtf8(text);
}
