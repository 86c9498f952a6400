#include "object_namespace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "qxplatform.h"

namespace {

// Longest escaped text kept readable; longer ones are hashed (NAME_MAX is 255).
constexpr size_t kMaxReadableComponent = 200;

bool IsSafeByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// FNV-1a, 128 bits.
std::string HashComponent(const std::string& text) {
    const unsigned __int128 prime = (static_cast<unsigned __int128>(1) << 88) + 0x13B;
    unsigned __int128 hash = (static_cast<unsigned __int128>(0x6c62272e07bb0142ULL) << 64) | 0x62b821756295c58dULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= prime;
    }
    static const char hex[] = "0123456789abcdef";
    std::string out = "h-";
    for (int shift = 124; shift >= 0; shift -= 4) out += hex[static_cast<unsigned>(hash >> shift) & 0xF];
    return out;
}

bool IsWritableDir(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode) && access(path, W_OK | X_OK) == 0;
}

}  // namespace

std::string QxObjectRootDir() {
    const char* base = IsWritableDir("/dev/shm") ? "/dev/shm" : "/tmp";
    return std::string(base) + "/qxfm-objects-" + std::to_string(geteuid());
}

std::string QxObjectFileComponent(const std::string& utf8) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : utf8) {
        if (IsSafeByte(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
        if (out.size() > kMaxReadableComponent) return HashComponent(utf8);
    }
    return out;
}

bool QxEnsurePrivateDir(const std::string& dir) {
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st;
    if (lstat(dir.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid()) {
        errno = EACCES;
        return false;
    }
    return true;
}

std::string QxObjectNamespaceDir() {
    const char* ns = getenv("QXFM_NAMESPACE");
    std::string name = ns && *ns ? ns : "default";
    return QxObjectRootDir() + "/ns-" + QxObjectFileComponent(name);
}
