// The catalog file "Tarvolen.fbu": signature, time stamp, body.
#include <exception>

#include "afx.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "services/scoped_handle.h"
#include "catalog/file_error_box.h"
#include "catalog/serialization.h"

namespace {

const WCHAR kCatalogFileName[] = u"Tarvolen.fbu";
const WCHAR kSignature[] = u"QXSERIALIZATION";
constexpr DWORD kReadOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

CString CatalogPath(const CString& folder) { return WithBackslash(folder) + kCatalogFileName; }

struct FileTimes {
    FILETIME created, accessed, written;
};

// Sets the times read after creation back on the closed file, then makes it read-only and hidden.
bool ApplyStatus(const CString& path, const FileTimes& times) {
    ScopedFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bool ok = SetFileTime(file.get(), &times.created, &times.accessed, &times.written) != FALSE;
    ok = file.close() && ok;
    return ok && SetFileAttributesW(path, kReadOnlyHidden) != FALSE;
}

void DiscardIncomplete(const CString& path) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path);
}

}  // namespace

bool CQXSerialization::Save(CString folder) {
    const CString path = CatalogPath(folder);
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(path)) return false;
    }
    ScopedFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ShowFileErrorBox(GetLastError());
        return false;
    }

    FileTimes times{};
    bool written = GetFileTime(file.get(), &times.created, &times.accessed, &times.written) != FALSE;
    if (written) {
        try {
            CArchive ar(file.get(), CArchive::store);
            ar.WriteString(kSignature);
            ar.WriteTime(QxFileTimeToUnixSeconds(times.written));
            Serialize(ar);
            ar.Close();
        } catch (const std::exception&) {
            written = false;
        }
    }
    written = file.close() && written;
    if (!written || !ApplyStatus(path, times)) {
        DiscardIncomplete(path);
        PostError(MSG_ERROR_SERIALIZATION_FAILED);
        return false;
    }
    return true;
}

bool CQXSerialization::Load(CString folder) {
    const CString path = CatalogPath(folder);
    const ScopedFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ShowFileErrorBox(GetLastError());
        return false;
    }

    bool readable = true;
    try {
        CArchive ar(file.get(), CArchive::load);
        if (ar.ReadString() == kSignature) {
            ar.ReadTime();
            Serialize(ar);
        } else {
            PostError(MSG_ERROR_UNSERIALIZATION_FAILED);
        }
        ar.Close();
    } catch (const std::exception&) {
        Reset();
        PostError(MSG_ERROR_UNSERIALIZATION_FAILED);
        readable = false;
    }
    return readable;
}
