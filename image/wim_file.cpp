// CWimFile: each operation opens the WIMGAPI handles it needs, owned for the
// call, and writes failures and the imaging library's own messages to the
// image engine's log.
#include "image/wim_file.h"

#include "services/dbglog.h"
#include "services/file_utils.h"

namespace {

// The callers read the last error of the WIMGAPI call after a failure, so logging keeps it.
template <class... Args>
void Log(const WCHAR* format, Args... args) {
    DWORD error = GetLastError();
    ImgLog(format, args...);
    SetLastError(error);
}

// What the imaging library itself reported goes to the same log, line by line.
void LogLibraryMessages() {
    CString text = QxTakeWimLibraryMessages();
    int start = 0;
    while (start < text.GetLength()) {
        int end = text.Find(u'\n', start);
        if (end < 0) end = text.GetLength();
        CString line = text.Mid(start, end - start);
        line.TrimRight(u'\r');
        if (!line.IsEmpty()) Log(u"%s", line.GetString());
        start = end + 1;
    }
}

// text cut at its last sep: false and no output for an empty text or a
// separator at position 0; without the separator the head is empty.
bool CutAtLast(const CString& text, WCHAR sep, CString& head, CString& tail) {
    if (text.IsEmpty()) return false;
    int at = text.ReverseFind(sep);
    if (at == 0) return false;
    if (at < 0) {
        head.Empty();
        tail = text;
        return true;
    }
    head = text.Left(at);
    tail = text.Mid(at + 1);
    return true;
}

// The first part's path: a final ".wim" becomes ".swm"; any other name gets
// ".swm" added, so that the first part never overwrites the file being split.
CString FirstPartPath(const CString& wimPath) {
    const int length = wimPath.GetLength();
    if (length >= 4 && wimPath.Right(4).CompareNoCase(u".wim") == 0) return wimPath.Left(length - 4) + u".swm";
    return wimPath + u".swm";
}

// Text for an XML element: the markup characters as entities.
CString XmlText(const CString& text) {
    CString out;
    for (int i = 0; i < text.GetLength(); ++i) {
        switch (text[i]) {
            case u'&': out += u"&amp;"; break;
            case u'<': out += u"&lt;"; break;
            case u'>': out += u"&gt;"; break;
            default: out += text[i];
        }
    }
    return out;
}

// Gives a captured image its name and description; a failure is logged and the image kept.
void NameImage(HANDLE image, const CString& name, const CString& description) {
    CString xml;
    xml.Format(u"\xFEFF<IMAGE><NAME>%s</NAME><DESCRIPTION>%s</DESCRIPTION></IMAGE>", XmlText(name).GetString(),
               XmlText(description).GetString());
    if (!WIMSetImageInformation(image, const_cast<WCHAR*>(xml.GetString()),
                                static_cast<DWORD>(xml.GetLength() * sizeof(WCHAR))))
        Log(u"%d, Set image information fail.\n", static_cast<int>(GetLastError()));
}

// Writes what the imaging library reported during one operation to the log
// when the operation ends, after its handles are closed.
struct LibraryMessagesLogged {
    ~LibraryMessagesLogged() {
        const DWORD error = GetLastError();
        try {
            LogLibraryMessages();
        } catch (...) {
        }
        SetLastError(error);
    }
};

// Adds the other parts of a split set, each found beside partPath by its
// name's start and extension; false when one is missing or refused.
bool SetReferenceFile(HANDLE wim, const CString& partPath) {
    if (partPath.IsEmpty()) return false;
    CString folder, fileName, baseName, extension;
    CutAtLast(partPath, u'\\', folder, fileName);
    CutAtLast(fileName, u'.', baseName, extension);
    CString pattern;
    pattern.Format(u"%s\\%s*.%s", folder.GetString(), baseName.GetString(), extension.GetString());
    WIN32_FIND_DATAW found;
    if (!FindEntry(pattern, &found)) return false;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    CString referencePath;
    referencePath.Format(u"%s\\%s", folder.GetString(), found.cFileName);
    Log(u"Success, refName= %s\n", referencePath.GetString());
    if (WIMSetReferenceFile(wim, referencePath, WIM_REFERENCE_APPEND)) return true;
    Log(u"%d, Set reference file fail\n", static_cast<int>(GetLastError()));
    return false;
}

}  // namespace

CWimFile::CWimFile(DWORD compression, FARPROC_WIM_CALLBACK callback, void* callbackData)
    : m_compression(compression) {
    if (!callback) return;
    if (WIMRegisterMessageCallback(nullptr, callback, callbackData) == INVALID_CALLBACK_VALUE)
        Log(u"Failure, Can not register WIM message callback\n");
    else
        m_callback = callback;
}

CWimFile::~CWimFile() {
    if (m_callback) WIMUnregisterMessageCallback(nullptr, m_callback);
    DiscardCaptures();
}

void CWimFile::SetImageInformation(const CString& name, const CString& description) {
    m_imageName = name;
    m_imageDescription = description;
}

bool CWimFile::Capture(const CString& sourceFolder, const CString& wimPath, DWORD disposition) {
    LibraryMessagesLogged logged;
    try {
        if (!m_captureFile) {
            DWORD access = WIM_GENERIC_WRITE;
            DWORD openFlags = WIM_FLAG_VERIFY;
            if (disposition == WIM_CREATE_ALWAYS) access = WIM_GENERIC_READ | WIM_GENERIC_WRITE;
            else if (disposition == WIM_OPEN_EXISTING) openFlags = 0;
            DWORD creationResult = 0;
            m_captureFile.reset(WIMCreateFile(wimPath, access, disposition, openFlags, m_compression, &creationResult));
            if (!m_captureFile) {
                Log(u"Failure, Can not open WIM file\n");
                return false;
            }
        }
        ScopedWimHandle image(WIMCaptureImage(m_captureFile.get(), sourceFolder, WIM_FLAG_VERIFY));
        if (!image) {
            Log(u"%d, Cannot capture/append image\n", static_cast<int>(GetLastError()));
            return false;
        }
        if (!m_imageName.IsEmpty()) NameImage(image.get(), m_imageName, m_imageDescription);
        return true;
    } catch (...) {
        return false;
    }
}

bool CWimFile::WriteCaptures() {
    LibraryMessagesLogged logged;
    if (!m_captureFile) return true;
    if (WIMCloseHandle(m_captureFile.release())) return true;
    Log(u"%d, Cannot capture/append image\n", static_cast<int>(GetLastError()));
    return false;
}

namespace {

DWORD CALLBACK AbortEverything(DWORD, WPARAM, LPARAM, PVOID) { return WIM_MSG_ABORT_IMAGE; }

}  // namespace

// Once the wrapper's callback is gone: the file is closed with every message
// answered by an abort, so that the write of the captured images stops
// before it starts.
void CWimFile::DiscardCaptures() {
    if (!m_captureFile) return;
    LibraryMessagesLogged logged;
    const DWORD error = GetLastError();
    const bool aborting = WIMRegisterMessageCallback(nullptr, AbortEverything, nullptr) != INVALID_CALLBACK_VALUE;
    WIMCloseHandle(m_captureFile.release());
    if (aborting) WIMUnregisterMessageCallback(nullptr, AbortEverything);
    SetLastError(error);
}

bool CWimFile::Apply(const CString& wimPath, const CString& target, DWORD image, DWORD fallbackImage,
                     const CString& tempPath, bool useReferences, const std::vector<CString>* references) {
    LibraryMessagesLogged logged;
    try {
        DWORD creationResult = 0;
        ScopedWimHandle wim(WIMCreateFile(wimPath, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, &creationResult));
        if (!wim) {
            Log(u"Failure, Cannot open %s file\n", wimPath.GetString());
            return false;
        }
        WIM_INFO info{};
        if (!WIMGetAttributes(wim.get(), &info, sizeof(info))) {
            Log(u"Failure, WIMGetAttributes failed\n");
            return false;
        }
        m_appliedImageCount = info.ImageCount;
        if (info.ImageCount < image && info.ImageCount < fallbackImage) {
            Log(u"Failure, There is no index %d in the WIM file\n", static_cast<int>(image));
            return false;
        }
        if (!WIMSetTemporaryPath(wim.get(), tempPath)) {
            Log(u"Failure, Can not set temp path to work in\n");
            return false;
        }
        if (useReferences && references)
            for (const CString& reference : *references)
                if (!SetReferenceFile(wim.get(), reference)) return false;
        ScopedWimHandle loaded(WIMLoadImage(wim.get(), image));
        ScopedWimHandle fallback(loaded ? nullptr : WIMLoadImage(wim.get(), fallbackImage));
        const HANDLE chosen = loaded ? loaded.get() : fallback.get();
        if (!chosen) {
            Log(u"Failure, Can not load imagex %d from src WIM file", static_cast<int>(image));
            return false;
        }
        // Each file's stored size and last-write time to the callback, which
        // tells an unfinished one by them.
        if (!WIMApplyImage(chosen, target, WIM_FLAG_FILEINFO)) {
            const DWORD error = GetLastError();
            Log(u"Failure, Applying image failed\n");
            SetLastError(error);
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool CWimFile::Split(const CString& wimPath, LONGLONG partSize) {
    LibraryMessagesLogged logged;
    try {
        Log(u"Split start!");
        DWORD creationResult = 0;
        ScopedWimHandle wim(WIMCreateFile(wimPath, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, &creationResult));
        if (!wim) {
            Log(u"Cannot open src WIM file.");
            return false;
        }
        WIM_INFO info{};
        if (!WIMGetAttributes(wim.get(), &info, sizeof(info))) {
            Log(u"WIMGetAttributes failed.");
            return false;
        }
        if (info.TotalParts != 1) {
            Log(u"The .wim file has already been splitted. Cannot split it again.");
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        LARGE_INTEGER size;
        size.QuadPart = partSize;
        if (!WIMSplitFile(wim.get(), FirstPartPath(wimPath), &size, 0)) {
            Log(u"Split failed.");
            if (GetLastError() == ERROR_MORE_DATA) Log(u"Need bigger chunk size to split.");
            return false;
        }
        Log(u"Split successfully!");
        wim.reset();
        if (GetFileAttributesW(wimPath) != INVALID_FILE_ATTRIBUTES) {
            SetFileAttributesW(wimPath, FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(wimPath)) return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}
