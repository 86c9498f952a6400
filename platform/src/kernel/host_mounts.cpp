#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "drive_table.h"

namespace {

struct Mount {
    unsigned major = 0, minor = 0;
    std::string root, point, fsType, source;
};

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// Mount points in mountinfo escape blanks and backslashes as \ooo.
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && IsOctal(s[i + 1]) && IsOctal(s[i + 2]) && IsOctal(s[i + 3])) {
            int v = (s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0');
            out += static_cast<char>(v);
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<Mount> ReadMountInfo() {
    std::vector<Mount> mounts;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, devno, root, point, options, word;
        if (!(fields >> id >> parent >> devno >> root >> point >> options)) continue;
        while (fields >> word && word != "-") {
        }
        Mount m;
        if (!(fields >> m.fsType >> m.source)) continue;
        if (std::sscanf(devno.c_str(), "%u:%u", &m.major, &m.minor) != 2) continue;
        m.root = Unescape(root);
        m.point = Unescape(point);
        m.source = Unescape(m.source);
        mounts.push_back(m);
    }
    return mounts;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool IsNetworkFs(const std::string& type) {
    static const char* const kTypes[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs",
                                         "ceph", "glusterfs", "9p", "fuse.sshfs", "davfs"};
    for (const char* t : kTypes)
        if (type == t) return true;
    return false;
}

bool ReadFlag(const std::string& path) {
    std::ifstream in(path);
    int v = 0;
    return (in >> v) && v == 1;
}

bool IsRemovableDevice(const Mount& m) {
    std::string dev = "/sys/dev/block/" + std::to_string(m.major) + ":" + std::to_string(m.minor);
    struct stat st;
    if (stat((dev + "/removable").c_str(), &st) == 0) return ReadFlag(dev + "/removable");
    return ReadFlag(dev + "/../removable");  // a partition: the disk holds the flag
}

UINT TypeOf(const Mount& m) {
    if (IsNetworkFs(m.fsType)) return DRIVE_REMOTE;
    if (m.fsType == "iso9660" || m.fsType == "udf" || StartsWith(m.source, "/dev/sr")) return DRIVE_CDROM;
    if (m.fsType == "tmpfs" || m.fsType == "ramfs" || StartsWith(m.source, "/dev/ram") ||
        StartsWith(m.source, "/dev/zram"))
        return DRIVE_RAMDISK;
    if (m.major != 0 && IsRemovableDevice(m)) return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}

bool IsSystemTree(const std::string& point) {
    for (const char* top : {"/proc", "/sys", "/dev", "/run"})
        if (point == top || StartsWith(point, (std::string(top) + "/").c_str())) return true;
    return false;
}

// Volumes worth a letter: block-device and network file systems mounted whole.
bool IsVolume(const Mount& m) {
    if (m.root != "/" || IsSystemTree(m.point)) return false;
    bool block = m.major != 0 && StartsWith(m.source, "/dev/");
    return block || IsNetworkFs(m.fsType);
}

QxDrive DriveFor(const Mount& m, WCHAR letter) {
    QxDrive d;
    d.letter = letter;
    d.hostRoot = m.point == "/" ? "" : m.point;
    d.type = TypeOf(m);
    d.active = m.point == "/boot" || m.point == "/boot/efi";
    return d;
}

}  // namespace

std::vector<std::string> QxHostMountPoints() {
    std::vector<std::string> points;
    for (const Mount& m : ReadMountInfo()) points.push_back(m.point);
    return points;
}

std::vector<QxDrive> QxDrivesFromHostMounts() {
    std::vector<Mount> mounts = ReadMountInfo();
    // A later mount on the same point hides the earlier one.
    std::vector<Mount> visible;
    for (const Mount& m : mounts) {
        auto same = std::find_if(visible.begin(), visible.end(), [&](const Mount& v) { return v.point == m.point; });
        if (same != visible.end()) *same = m;
        else visible.push_back(m);
    }
    std::vector<QxDrive> drives;
    QxDrive c;
    c.letter = u'C';
    auto root = std::find_if(visible.begin(), visible.end(), [](const Mount& m) { return m.point == "/"; });
    if (root != visible.end()) c = DriveFor(*root, u'C');
    drives.push_back(c);
    WCHAR next = u'D';
    for (const Mount& m : visible) {
        if (next > u'Z') break;
        if (m.point == "/" || !IsVolume(m)) continue;
        struct stat st;
        if (stat(m.point.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
        drives.push_back(DriveFor(m, next++));
    }
    return drives;
}
