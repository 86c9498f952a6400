// _wsplitpath_s as the Microsoft runtime splits: drive, folder up to the last
// separator, name, extension from the last dot.
#include <cerrno>
#include <cstring>

#include "wcrt.h"

namespace {

bool Fits(size_t length, size_t size, const WCHAR* buffer) { return !buffer || length < size; }

void Put(WCHAR* buffer, const WCHAR* from, size_t length) {
    if (!buffer) return;
    std::memcpy(buffer, from, length * sizeof(WCHAR));
    buffer[length] = 0;
}

bool BadPair(const WCHAR* buffer, size_t size) { return (buffer == nullptr) != (size == 0); }

}  // namespace

int _wsplitpath_s(const WCHAR* path, WCHAR* drive, size_t driveSize, WCHAR* dir, size_t dirSize, WCHAR* fname,
                  size_t nameSize, WCHAR* ext, size_t extSize) {
    if (!path || BadPair(drive, driveSize) || BadPair(dir, dirSize) || BadPair(fname, nameSize) ||
        BadPair(ext, extSize)) {
        if (drive && driveSize) drive[0] = 0;
        if (dir && dirSize) dir[0] = 0;
        if (fname && nameSize) fname[0] = 0;
        if (ext && extSize) ext[0] = 0;
        errno = EINVAL;
        return EINVAL;
    }
    size_t length = 0;
    while (path[length]) ++length;
    size_t driveLength = length >= 2 && path[1] == u':' ? 2 : 0;
    const WCHAR* rest = path + driveLength;
    size_t restLength = length - driveLength;
    size_t dirLength = 0;
    for (size_t i = restLength; i-- > 0;)
        if (rest[i] == u'\\' || rest[i] == u'/') {
            dirLength = i + 1;
            break;
        }
    const WCHAR* name = rest + dirLength;
    size_t nameLength = restLength - dirLength;
    size_t extStart = nameLength;
    for (size_t i = nameLength; i-- > 0;)
        if (name[i] == u'.') {
            extStart = i;
            break;
        }
    size_t extLength = nameLength - extStart;
    if (!Fits(driveLength, driveSize, drive) || !Fits(dirLength, dirSize, dir) ||
        !Fits(extStart, nameSize, fname) || !Fits(extLength, extSize, ext)) {
        if (drive) drive[0] = 0;
        if (dir) dir[0] = 0;
        if (fname) fname[0] = 0;
        if (ext) ext[0] = 0;
        errno = ERANGE;
        return ERANGE;
    }
    Put(drive, path, driveLength);
    Put(dir, rest, dirLength);
    Put(fname, name, extStart);
    Put(ext, name + extStart, extLength);
    return 0;
}
