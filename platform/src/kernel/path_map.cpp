#include "path_map.h"

#include <sys/stat.h>

#include <cerrno>

#include "atlstr.h"
#include "last_error.h"
#include "name_lookup.h"
#include "utf8_codec.h"

namespace {

bool ValidComponent(const std::u16string& part) {
    for (WCHAR c : part) {
        if (c < 0x20) return false;
        switch (c) {
        case u'<': case u'>': case u':': case u'"': case u'|': case u'?': case u'*': return false;
        default: break;
        }
    }
    return true;
}

bool IsDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Join(const std::string& dir, const std::string& name) { return dir + "/" + name; }

// Resolves the components one by one below root, matching each one ignoring
// case when it does not exist as spelled; false when a component matches
// several names that way.
bool WalkNoCase(const std::string& root, const std::vector<std::string>& parts, QxHostPath& out) {
    std::string cur = root;
    for (size_t i = 0; i < parts.size(); ++i) {
        bool last = i + 1 == parts.size();
        std::string cand = Join(cur, parts[i]);
        struct stat st;
        bool found = lstat(cand.c_str(), &st) == 0;
        if (!found && errno == ENOENT) {
            std::string actual;
            QxNoCaseMatch match = QxFindNameNoCase(cur.empty() ? "/" : cur, parts[i], actual);
            if (match == QxNoCaseMatch::Several) return false;
            if (match == QxNoCaseMatch::One) {
                cand = Join(cur, actual);
                found = true;
            }
        }
        cur = cand;
        if (last) {
            out.exists = found;
        } else if (!found || !IsDir(cur)) {
            out.parentMissing = true;
            for (size_t k = i + 1; k < parts.size(); ++k) cur = Join(cur, parts[k]);
            break;
        }
    }
    out.path = cur;
    return true;
}

}  // namespace

DWORD QxHostPath::ErrorFromErrno(int err) const {
    if (err == ENOENT) return NotFoundError();
    return QxWin32FromErrno(err);
}

namespace {

// The drive and the host names of the components as spelled, without touching
// the disk; false with *error for a drive that is not there or an invalid name.
bool Spell(const QxResolvedPath& win, QxHostPath& out, std::string& root, std::vector<std::string>& parts,
           std::string& full, DWORD* error) {
    auto fail = [&](DWORD code) {
        if (error) *error = code;
        return false;
    };
    out = QxHostPath();
    out.win = win;
    if (win.drive) {
        out.drive = QxFindDrive(win.drive);
        if (!out.drive) return fail(ERROR_PATH_NOT_FOUND);
        root = out.drive->hostRoot;
    }
    parts.reserve(win.parts.size());
    full = root;
    for (const std::u16string& part : win.parts) {
        if (!ValidComponent(part)) return fail(ERROR_INVALID_NAME);
        parts.push_back(QxUtf16ToUtf8(part.data(), part.size()));
        full += '/';
        full += parts.back();
    }
    return true;
}

}  // namespace

bool QxSpellPath(const WCHAR* winPath, QxHostPath& out) {
    QxResolvedPath win;
    std::string root, full;
    std::vector<std::string> parts;
    if (!QxResolveWinPath(winPath, win, nullptr) || !Spell(win, out, root, parts, full, nullptr) || parts.empty())
        return false;
    out.path = std::move(full);
    out.exists = true;
    return true;
}

bool QxMapResolved(const QxResolvedPath& win, QxHostPath& out, DWORD* error, bool exactCase) {
    std::string root, full;
    std::vector<std::string> parts;
    if (!Spell(win, out, root, parts, full, error)) return false;
    auto fail = [&](DWORD code) {
        if (error) *error = code;
        return false;
    };
    if (parts.empty()) {
        out.path = root.empty() ? "/" : root;
        out.exists = IsDir(out.path);
        return true;
    }
    struct stat st;
    if (lstat(full.c_str(), &st) == 0) {
        out.path = std::move(full);
        out.exists = true;
        return true;
    }
    if (errno != ENOENT && errno != ENOTDIR) {
        out.path = std::move(full);  // the host call that follows reports the cause
        return true;
    }
    // Mostly only the last component is missing (a file about to be created).
    std::string parent = full.substr(0, full.size() - parts.back().size() - 1);
    std::string parentDir = parent.empty() ? "/" : parent;
    if (exactCase) {
        out.parentMissing = !IsDir(parentDir);
        out.path = std::move(full);
        return true;
    }
    struct stat parentStat;
    if (errno == ENOENT && stat(parentDir.c_str(), &parentStat) == 0 && S_ISDIR(parentStat.st_mode)) {
        std::string actual;
        QxNoCaseMatch match = QxFindNameNoCase(parentDir, parts.back(), actual, &parentStat);
        if (match == QxNoCaseMatch::Several) return fail(ERROR_CANT_RESOLVE_FILENAME);
        out.exists = match == QxNoCaseMatch::One;
        out.path = parent + "/" + (out.exists ? actual : parts.back());
        return true;
    }
    if (!WalkNoCase(root, parts, out)) return fail(ERROR_CANT_RESOLVE_FILENAME);
    return true;
}

bool QxMapPath(const WCHAR* winPath, QxHostPath& out, DWORD* error, bool exactCase) {
    QxResolvedPath win;
    if (!QxResolveWinPath(winPath, win, error)) return false;
    return QxMapResolved(win, out, error, exactCase);
}

bool QxMapNewName(const WCHAR* winPath, QxHostPath& out, DWORD* error) {
    QxResolvedPath win;
    if (!QxResolveWinPath(winPath, win, error)) return false;
    if (win.parts.empty()) return QxMapResolved(win, out, error);
    if (!ValidComponent(win.parts.back())) {
        if (error) *error = ERROR_INVALID_NAME;
        return false;
    }
    QxResolvedPath parent = win;
    parent.parts.pop_back();
    QxHostPath folder;
    if (!QxMapResolved(parent, folder, error)) return false;
    out = QxHostPath();
    out.win = std::move(win);
    out.drive = folder.drive;
    out.path = Join(folder.path == "/" ? std::string() : folder.path, CString(out.win.parts.back()).ToUtf8());
    out.parentMissing = !folder.exists || !IsDir(folder.path);
    struct stat st;
    out.exists = !out.parentMissing && lstat(out.path.c_str(), &st) == 0;
    return true;
}

bool QxToHostPath(LPCWSTR winPath, std::string& hostPath, DWORD* error) {
    try {
        QxHostPath mapped;
        if (!QxMapPath(winPath, mapped, error)) return false;
        hostPath = std::move(mapped.path);
        return true;
    } catch (...) {
        if (error) *error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
}

CString QxFromHostPath(const std::string& hostPath) {
    try {
        std::string rest;
        const QxDrive* drive = QxDriveHoldingHostPath(hostPath, &rest);
        if (!drive) return CString();
        QxResolvedPath win;
        win.drive = drive->letter;
        std::u16string wide = CString::FromUtf8(rest).str();
        size_t i = 0;
        while (i < wide.size()) {
            size_t j = wide.find(u'/', i);
            if (j == std::u16string::npos) j = wide.size();
            if (j > i) win.parts.push_back(wide.substr(i, j - i));
            i = j + 1;
        }
        return CString(QxFormatWinPath(win));
    } catch (...) {
        return CString();
    }
}
