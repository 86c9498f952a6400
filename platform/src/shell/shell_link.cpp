#include "shell_link.h"

#include <sys/statvfs.h>

#include <atomic>
#include <new>
#include <vector>

#include "lnk_reader.h"
#include "lnk_writer.h"
#include "qxplatform.h"

namespace {

constexpr DWORD kMaxLinkFileSize = 1 << 20;  // far beyond any link this object writes
constexpr DWORD kFullPathBuffer = 32768;

HRESULT FromLastError() {
    DWORD err = GetLastError();
    return err ? HRESULT_FROM_WIN32(err) : E_FAIL;
}

HRESULT CopyOut(const CString& text, LPWSTR buffer, int cch) {
    if (!buffer || cch <= 0) return E_INVALIDARG;
    int n = text.GetLength() < cch - 1 ? text.GetLength() : cch - 1;
    for (int i = 0; i < n; ++i) buffer[i] = text[i];
    buffer[n] = 0;
    return S_OK;
}

HRESULT Store(CString& field, LPCWSTR value) {
    if (!value) return E_INVALIDARG;
    CString text(value);
    if (text.GetLength() > kQxMaxLinkString) return E_INVALIDARG;
    field = text;
    return S_OK;
}

CString FullPath(const CString& path) {
    if (path.IsEmpty()) return path;
    std::vector<WCHAR> buffer(kFullPathBuffer);
    DWORD n = GetFullPathNameW(path, kFullPathBuffer, buffer.data(), nullptr);
    CString full = n > 0 && n < kFullPathBuffer ? CString(buffer.data(), static_cast<int>(n)) : path;
    if (full.Find(u"\\\\?\\") == 0) full = full.Mid(4);
    return full;
}

bool IsDrivePath(const CString& path) {
    return path.GetLength() >= 3 && path[1] == u':' && path[2] == u'\\' &&
           ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

// Folders of a full path (the last component, a file name, dropped when asked).
std::vector<CString> Components(const CString& path, bool dropLast) {
    std::vector<CString> parts;
    int start = 0;
    for (int i = 0; i <= path.GetLength(); ++i) {
        if (i < path.GetLength() && path[i] != u'\\') continue;
        if (i > start) parts.push_back(path.Mid(start, i - start));
        start = i + 1;
    }
    if (dropLast && !parts.empty()) parts.pop_back();
    return parts;
}

// The target relative to the folder of linkFile (".\name", "..\dir\name"),
// or empty when they lie on different drives.
CString RelativePath(const CString& linkFile, const CString& target) {
    if (!IsDrivePath(linkFile) || !IsDrivePath(target)) return CString();
    std::vector<CString> from = Components(linkFile, true);
    std::vector<CString> to = Components(target, false);
    size_t common = 0;
    while (common < from.size() && common < to.size() && from[common].CompareNoCase(to[common]) == 0) ++common;
    if (common == 0) return CString();
    CString rel;
    for (size_t i = common; i < from.size(); ++i) rel += u"..\\";
    if (rel.IsEmpty()) rel = u".\\";
    for (size_t i = common; i < to.size(); ++i) {
        rel += to[i];
        if (i + 1 < to.size()) rel += u'\\';
    }
    return rel;
}

void DescribeTarget(QxShellLinkContent& link) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(link.targetPath, GetFileExInfoStandard, &data)) {
        link.fileAttributes = data.dwFileAttributes;
        link.creationTime = data.ftCreationTime;
        link.accessTime = data.ftLastAccessTime;
        link.writeTime = data.ftLastWriteTime;
        link.fileSizeLow = data.nFileSizeLow;
    }
    if (!IsDrivePath(link.targetPath)) return;
    WCHAR root[] = {link.targetPath[0], u':', u'\\', 0};
    UINT type = GetDriveTypeW(root);
    if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) return;
    link.hasVolume = true;
    link.driveType = type;
    if (const QxDrive* drive = QxFindDrive(QxToUpper(root[0]))) {
        struct statvfs vfs;
        std::string hostRoot = drive->hostRoot.empty() ? "/" : drive->hostRoot;
        if (statvfs(hostRoot.c_str(), &vfs) == 0) link.driveSerial = static_cast<DWORD>(vfs.f_fsid);
    }
}

HRESULT WriteWholeFile(const CString& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FromLastError();
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    HRESULT hr = ok && written == bytes.size() ? S_OK : ok ? HRESULT_FROM_WIN32(ERROR_WRITE_FAULT) : FromLastError();
    if (!CloseHandle(file) && SUCCEEDED(hr)) hr = FromLastError();
    return hr;
}

HRESULT ReadWholeFile(const CString& path, std::string& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FromLastError();
    HRESULT hr = S_OK;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        hr = FromLastError();
    } else if (size.QuadPart < 0 || size.QuadPart > kMaxLinkFileSize) {
        hr = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    } else {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)) hr = FromLastError();
        else bytes.resize(read);
    }
    CloseHandle(file);
    return hr;
}

class ShellLink final : public IShellLinkW, public IPersistFile {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (QxSameGuid(riid, IID_IUnknown) || QxSameGuid(riid, IID_IShellLinkW)) {
            *ppv = static_cast<IShellLinkW*>(this);
        } else if (QxSameGuid(riid, IID_IPersistFile)) {
            *ppv = static_cast<IPersistFile*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

    HRESULT SetPath(LPCWSTR pszFile) override { return Guarded([&] { return Store(m_link.targetPath, pszFile); }); }
    HRESULT SetDescription(LPCWSTR pszName) override {
        return Guarded([&] { return Store(m_link.description, pszName); });
    }
    HRESULT SetRelativePath(LPCWSTR pszPathRel, DWORD) override {
        return Guarded([&] { return Store(m_relativeTo, pszPathRel); });
    }
    HRESULT SetWorkingDirectory(LPCWSTR pszDir) override {
        return Guarded([&] { return Store(m_link.workingDir, pszDir); });
    }
    HRESULT SetArguments(LPCWSTR pszArgs) override { return Guarded([&] { return Store(m_link.arguments, pszArgs); }); }

    HRESULT GetPath(LPWSTR pszFile, int cch, WIN32_FIND_DATAW* pfd, DWORD) override {
        HRESULT hr = CopyOut(m_link.targetPath, pszFile, cch);
        if (FAILED(hr)) return hr;
        if (pfd) {
            *pfd = WIN32_FIND_DATAW{};
            pfd->dwFileAttributes = m_link.fileAttributes;
            pfd->ftCreationTime = m_link.creationTime;
            pfd->ftLastAccessTime = m_link.accessTime;
            pfd->ftLastWriteTime = m_link.writeTime;
            pfd->nFileSizeLow = m_link.fileSizeLow;
            CopyOut(m_link.targetPath.Mid(m_link.targetPath.ReverseFind(u'\\') + 1), pfd->cFileName, MAX_PATH);
        }
        return m_link.targetPath.IsEmpty() ? S_FALSE : S_OK;
    }
    HRESULT GetDescription(LPWSTR pszName, int cch) override { return CopyOut(m_link.description, pszName, cch); }

    HRESULT Save(LPCWSTR pszFileName, BOOL fRemember) override {
        return Guarded([&] {
            CString linkFile = pszFileName ? CString(pszFileName) : m_file;
            if (linkFile.IsEmpty()) return E_INVALIDARG;
            QxShellLinkContent link = m_link;
            link.targetPath = FullPath(link.targetPath);
            DescribeTarget(link);
            CString relativeTo = FullPath(m_relativeTo.IsEmpty() ? linkFile : m_relativeTo);
            link.relativePath = RelativePath(relativeTo, link.targetPath);
            HRESULT hr = WriteWholeFile(linkFile, QxBuildShellLink(link));
            if (SUCCEEDED(hr)) {
                m_link = link;
                if (fRemember) m_file = linkFile;
            }
            return hr;
        });
    }
    HRESULT Load(LPCWSTR pszFileName, DWORD) override {
        return Guarded([&] {
            if (!pszFileName) return E_INVALIDARG;
            std::string bytes;
            HRESULT hr = ReadWholeFile(pszFileName, bytes);
            if (FAILED(hr)) return hr;
            QxShellLinkContent link;
            if (!QxParseShellLink(bytes, link)) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
            m_link = link;
            m_file = pszFileName;
            return S_OK;
        });
    }

private:
    template <typename F>
    static HRESULT Guarded(F&& work) {
        try {
            return work();
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    std::atomic<ULONG> m_refs{1};
    QxShellLinkContent m_link;
    CString m_relativeTo;  // the file the relative path is made for, else the saved link
    CString m_file;        // the remembered link file
};

}  // namespace

HRESULT QxCreateShellLink(REFIID riid, void** ppv) {
    ShellLink* link = new (std::nothrow) ShellLink;
    if (!link) return E_OUTOFMEMORY;
    HRESULT hr = link->QueryInterface(riid, ppv);
    link->Release();
    return hr;
}
