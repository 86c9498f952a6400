// The registry: a key is a folder in the namespace's folder of named objects,
// a value one file in it holding its name, its type and its data. A value is
// written under a temporary name and renamed into place, so that a reader
// sees it whole or not at all.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "last_error.h"
#include "object_namespace.h"
#include "qxplatform.h"
#include "utf8_codec.h"

struct QxRegistryKey {
    std::string folder;
};

namespace {

std::string Utf8(const WCHAR* text) {
    return text ? QxUtf16ToUtf8(text, std::char_traits<char16_t>::length(text)) : std::string();
}

bool IsCurrentUser(HKEY key) { return key == HKEY_CURRENT_USER; }

std::string FolderOf(HKEY key) {
    return IsCurrentUser(key) ? QxObjectNamespaceDir() + "/registry" : key->folder;
}

struct StoredValue {
    std::u16string name;
    DWORD type = 0;
    std::string data;
};

// File: the name's length in UTF-16 units (4 bytes), the type (4 bytes), the
// name, then the data.
std::string Encode(const StoredValue& value) {
    std::string out(8, '\0');
    const uint32_t length = static_cast<uint32_t>(value.name.size());
    std::memcpy(&out[0], &length, 4);
    std::memcpy(&out[4], &value.type, 4);
    out.append(reinterpret_cast<const char*>(value.name.data()), value.name.size() * 2);
    return out + value.data;
}

bool Decode(const std::string& bytes, StoredValue* value) {
    if (bytes.size() < 8) return false;
    uint32_t length = 0;
    std::memcpy(&length, &bytes[0], 4);
    std::memcpy(&value->type, &bytes[4], 4);
    if (length > (bytes.size() - 8) / 2) return false;
    value->name.assign(reinterpret_cast<const char16_t*>(bytes.data() + 8), length);
    value->data = bytes.substr(8 + 2 * static_cast<size_t>(length));
    return true;
}

bool ReadWhole(const std::string& path, std::string* bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) bytes->append(buffer, static_cast<size_t>(got));
    close(fd);
    return got == 0;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".new";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    const bool closed = close(fd) == 0;
    if (written && closed && rename(temporary.c_str(), path.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

// The value files of a folder, in name order.
std::vector<std::string> ValueFiles(const std::string& folder) {
    std::vector<std::string> files;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return files;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." && name.find('.') == std::string::npos) files.push_back(name);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

LONG Failed() {
    const DWORD error = GetLastError();
    return static_cast<LONG>(error ? error : ERROR_INVALID_PARAMETER);
}

}  // namespace

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM, const SECURITY_ATTRIBUTES*,
                     PHKEY phkResult, LPDWORD lpdwDisposition) {
    try {
        if (!hKey || !phkResult) return ERROR_INVALID_PARAMETER;
        std::string folder = FolderOf(hKey);
        if (!QxEnsurePrivateDir(QxObjectRootDir()) || !QxEnsurePrivateDir(QxObjectNamespaceDir()) ||
            !QxEnsurePrivateDir(folder)) {
            QxSetLastErrorFromErrno(errno);
            return Failed();
        }
        // Each level of the key's path is one folder.
        const std::string path = Utf8(lpSubKey);
        bool created = false;
        for (size_t start = 0; start < path.size();) {
            size_t end = path.find('\\', start);
            if (end == std::string::npos) end = path.size();
            if (end > start) {
                folder += "/" + QxObjectFileComponent(path.substr(start, end - start));
                created = access(folder.c_str(), F_OK) != 0;
                if (!QxEnsurePrivateDir(folder)) {
                    QxSetLastErrorFromErrno(errno);
                    return Failed();
                }
            }
            start = end + 1;
        }
        *phkResult = new QxRegistryKey{folder};
        if (lpdwDisposition) *lpdwDisposition = created ? 1 : 2;  // REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    try {
        if (!hKey || (!lpData && cbData)) return ERROR_INVALID_PARAMETER;
        const StoredValue value{lpValueName ? lpValueName : u"", dwType,
                                std::string(reinterpret_cast<const char*>(lpData), cbData)};
        const std::string file = FolderOf(hKey) + "/" + QxObjectFileComponent("v-" + Utf8(lpValueName));
        if (!WriteWhole(file, Encode(value))) {
            QxSetLastErrorFromErrno(errno);
            return Failed();
        }
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD, LPDWORD lpType,
                   BYTE* lpData, LPDWORD lpcbData) {
    try {
        if (!hKey || !lpValueName || !lpcchValueName) return ERROR_INVALID_PARAMETER;
        const std::string folder = FolderOf(hKey);
        const std::vector<std::string> files = ValueFiles(folder);
        if (dwIndex >= files.size()) return ERROR_NO_MORE_ITEMS;
        std::string bytes;
        StoredValue value;
        if (!ReadWhole(folder + "/" + files[dwIndex], &bytes) || !Decode(bytes, &value)) return ERROR_FILE_NOT_FOUND;
        if (value.name.size() + 1 > *lpcchValueName) return ERROR_MORE_DATA;
        std::copy(value.name.begin(), value.name.end(), lpValueName);
        lpValueName[value.name.size()] = u'\0';
        *lpcchValueName = static_cast<DWORD>(value.name.size());
        if (lpType) *lpType = value.type;
        if (lpcbData) {
            const DWORD room = *lpcbData;
            *lpcbData = static_cast<DWORD>(value.data.size());
            if (lpData && room < value.data.size()) return ERROR_MORE_DATA;
            if (lpData) std::memcpy(lpData, value.data.data(), value.data.size());
        }
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    try {
        if (!hKey) return ERROR_INVALID_PARAMETER;
        const std::string file = FolderOf(hKey) + "/" + QxObjectFileComponent("v-" + Utf8(lpValueName));
        if (unlink(file.c_str()) == 0) return ERROR_SUCCESS;
        return errno == ENOENT ? ERROR_FILE_NOT_FOUND : (QxSetLastErrorFromErrno(errno), Failed());
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG RegCloseKey(HKEY hKey) {
    if (!hKey || IsCurrentUser(hKey)) return ERROR_INVALID_PARAMETER;
    delete hKey;
    return ERROR_SUCCESS;
}
