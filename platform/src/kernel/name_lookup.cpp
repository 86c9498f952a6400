#include "name_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "atlstr.h"

namespace {

// One folder's names by their upper-case key, valid while the folder's
// modification time stays what it was when they were read.
struct FolderNames {
    dev_t dev = 0;
    ino_t ino = 0;
    timespec mtime{};
    bool valid = false;
    std::unordered_map<std::string, std::string> byKey;
    std::unordered_set<std::string> ambiguousKeys;  // keys that several names share
};

std::mutex g_mutex;
FolderNames g_folder;

std::string UpperKey(const std::string& name) {
    bool ascii = true;
    for (unsigned char c : name) ascii = ascii && c < 0x80;
    if (ascii) {
        std::string key = name;
        for (char& c : key)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return key;
    }
    return CString::FromUtf8(name).MakeUpper().ToUtf8();
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool Matches(const FolderNames& f, const struct stat& st) {
    return f.valid && f.dev == st.st_dev && f.ino == st.st_ino && SameTime(f.mtime, st.st_mtim);
}

void Add(FolderNames& f, const std::string& name) {
    auto inserted = f.byKey.emplace(UpperKey(name), name);
    if (!inserted.second && inserted.first->second != name) f.ambiguousKeys.insert(inserted.first->first);
}

bool Read(const std::string& hostDir, const struct stat& st, FolderNames& f) {
    DIR* dir = opendir(hostDir.c_str());
    if (!dir) return false;
    f = FolderNames();
    while (dirent* e = readdir(dir)) Add(f, e->d_name);
    closedir(dir);
    f.dev = st.st_dev;
    f.ino = st.st_ino;
    f.mtime = st.st_mtim;  // taken before reading: a change meanwhile forces a new read
    f.valid = true;
    return true;
}

}  // namespace

QxNoCaseMatch QxFindNameNoCase(const std::string& hostDir, const std::string& name, std::string& found,
                               const struct stat* dirStat) {
    struct stat st;
    if (dirStat) st = *dirStat;
    else if (stat(hostDir.c_str(), &st) != 0) return QxNoCaseMatch::None;
    if (!S_ISDIR(st.st_mode)) return QxNoCaseMatch::None;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!Matches(g_folder, st) && !Read(hostDir, st, g_folder)) return QxNoCaseMatch::None;
    const std::string key = UpperKey(name);
    auto it = g_folder.byKey.find(key);
    if (it == g_folder.byKey.end()) return QxNoCaseMatch::None;
    if (g_folder.ambiguousKeys.count(key)) return QxNoCaseMatch::Several;
    found = it->second;
    return QxNoCaseMatch::One;
}

void QxNoteCreated(const std::string& hostPath) {
    size_t slash = hostPath.rfind('/');
    if (slash == std::string::npos) return;
    std::string hostDir = slash ? hostPath.substr(0, slash) : "/";
    std::string name = hostPath.substr(slash + 1);
    struct stat st;
    if (stat(hostDir.c_str(), &st) != 0) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_folder.valid || g_folder.dev != st.st_dev || g_folder.ino != st.st_ino) return;
    Add(g_folder, name);
    g_folder.mtime = st.st_mtim;
}
