// GetCurrentDirectoryW, SetCurrentDirectoryW, GetFullPathNameW, GetTempPathW.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "last_error.h"
#include "path_map.h"
#include "wide_buffer.h"

DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
    try {
        std::u16string text = QxFormatWinPath(QxCurrentDirectory());
        if (text.empty()) {
            SetLastError(ERROR_PATH_NOT_FOUND);  // the host folder lies on no drive
            return 0;
        }
        return QxCopyToBuffer(text, nBufferLength, lpBuffer);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

BOOL SetCurrentDirectoryW(LPCWSTR lpPathName) {
    try {
        QxHostPath mapped;
        DWORD error = 0;
        if (!QxMapPath(lpPathName, mapped, &error)) return QxFail(error);
        if (!mapped.exists) return QxFail(mapped.NotFoundError());
        struct stat st;
        if (stat(mapped.path.c_str(), &st) != 0) return QxFail(mapped.ErrorFromErrno(errno));
        if (!S_ISDIR(st.st_mode)) return QxFail(ERROR_DIRECTORY);
        if (chdir(mapped.path.c_str()) != 0) return QxFail(mapped.ErrorFromErrno(errno));
        return TRUE;
    } catch (...) {
        return QxFail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart) {
    if (lpFilePart) *lpFilePart = nullptr;
    try {
        std::u16string text;
        if (QxHasLongPrefix(lpFileName)) {
            text = lpFileName;
        } else {
            QxResolvedPath resolved;
            DWORD error = 0;
            if (!QxResolveWinPath(lpFileName, resolved, &error)) {
                SetLastError(error);
                return 0;
            }
            text = QxFormatWinPath(resolved);
            if (text.empty()) {
                SetLastError(ERROR_PATH_NOT_FOUND);
                return 0;
            }
        }
        DWORD result = QxCopyToBuffer(text, nBufferLength, lpBuffer);
        if (result == text.size() && lpFilePart) {
            size_t slash = text.find_last_of(u"\\/");
            if (slash != std::u16string::npos && slash + 1 < text.size()) *lpFilePart = lpBuffer + slash + 1;
        }
        return result;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
    try {
        const char* env = getenv("TMPDIR");
        std::string host = env && *env == '/' ? env : "/tmp";
        while (host.size() > 1 && host.back() == '/') host.pop_back();
        std::u16string text = QxFromHostPath(host).str();
        if (text.empty()) {
            const QxDriveTable& table = QxCurrentDriveTable();
            if (table.drives.empty()) {
                SetLastError(ERROR_PATH_NOT_FOUND);
                return 0;
            }
            text = std::u16string(1, table.drives.front().letter) + u":\\";
        }
        if (text.back() != u'\\') text += u'\\';
        return QxCopyToBuffer(text, nBufferLength, lpBuffer);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
