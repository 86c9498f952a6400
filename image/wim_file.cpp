// CWimFile: each operation opens the WIMGAPI handles it needs and closes them
// before it returns; failures are written to the image engine's log.
#include "image/wim_file.h"

#include "api/dbglog.h"

FARPROC_WIM_CALLBACK g_pfnWimCallback = nullptr;

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
void SetImageInformation(HANDLE image, const CString& name, const CString& description) {
    CString xml;
    xml.Format(u"\xFEFF<IMAGE><NAME>%s</NAME><DESCRIPTION>%s</DESCRIPTION></IMAGE>", XmlText(name).GetString(),
               XmlText(description).GetString());
    if (!WIMSetImageInformation(image, const_cast<WCHAR*>(xml.GetString()),
                                static_cast<DWORD>(xml.GetLength() * sizeof(WCHAR))))
        Log(u"%d, Set image information fail.\n", static_cast<int>(GetLastError()));
}

}  // namespace

CWimFile::CWimFile(DWORD compression, FARPROC_WIM_CALLBACK callback) : m_dwCompression(compression) {
    try {
        if (callback) {
            g_pfnWimCallback = callback;
            if (WIMRegisterMessageCallback(nullptr, callback, nullptr) == INVALID_CALLBACK_VALUE)
                Log(u"Failure, Can not register WIM message callback\n");
        }
        WCHAR temp[MAX_PATH + 1] = {};
        DWORD length = GetTempPathW(MAX_PATH, temp);
        if (length > 0 && length < MAX_PATH) m_strTempPath = temp;
    } catch (...) {
    }
}

CWimFile::~CWimFile() {
    if (g_pfnWimCallback) WIMUnregisterMessageCallback(nullptr, g_pfnWimCallback);
}

int CWimFile::CloseHandles() {
    DWORD remembered = GetLastError();
    try {
        LogLibraryMessages();
    } catch (...) {
    }
    if (m_hImage) {
        if (!WIMCloseHandle(m_hImage) && remembered == 0) remembered = GetLastError();
        m_hImage = nullptr;
    }
    if (m_hWim) {
        if (!WIMCloseHandle(m_hWim) && remembered == 0) remembered = GetLastError();
        m_hWim = nullptr;
    }
    SetLastError(remembered);
    return 0;
}

int CWimFile::Capture(CString sourceFolder, CString wimPath, CString tempFolder, DWORD disposition) {
    try {
        m_hWim = nullptr;
        m_hImage = nullptr;
        m_strWimPath = wimPath;
        m_strCapturePath = sourceFolder;
        m_strTempPath = tempFolder;
        DWORD access = WIM_GENERIC_WRITE;
        DWORD openFlags = WIM_FLAG_VERIFY;
        if (disposition == WIM_CREATE_ALWAYS) access = WIM_GENERIC_READ | WIM_GENERIC_WRITE;
        else if (disposition == WIM_OPEN_EXISTING) openFlags = 0;
        DWORD creationResult = 0;
        m_hWim = WIMCreateFile(wimPath, access, disposition, openFlags, m_dwCompression, &creationResult);
        if (!m_hWim) {
            Log(u"Failure, Can not open WIM file\n");
            CloseHandles();
            return 0;
        }
        m_hImage = WIMCaptureImage(m_hWim, sourceFolder, WIM_FLAG_VERIFY);
        const bool captured = m_hImage != nullptr;
        if (captured && !m_strImageName.IsEmpty()) SetImageInformation(m_hImage, m_strImageName, m_strImageDescription);
        if (m_bSetBoot && !WIMSetBootImage(m_hWim, 1)) Log(u"%d, Set boot fail.\n", static_cast<int>(GetLastError()));
        CloseHandles();
        DWORD error = GetLastError();
        if (captured || error == 0) return 1;
        Log(u"%d, Cannot capture/append image\n", static_cast<int>(error));
        return 0;
    } catch (...) {
        CloseHandles();
        return 0;
    }
}

int CWimFile::Apply(CString wimPath, CString target, DWORD image, DWORD fallbackImage, CString tempPath,
                    BOOL useReferences, const std::vector<CString>* references) {
    try {
        m_strApplyPath = target;
        DWORD creationResult = 0;
        m_hWim = WIMCreateFile(wimPath, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, &creationResult);
        if (!m_hWim) {
            Log(u"Failure, Cannot open %s file\n", wimPath.GetString());
            CloseHandles();
            return 0;
        }
        if (!WIMGetAttributes(m_hWim, &m_wimInfo, sizeof(m_wimInfo))) {
            Log(u"Failure, WIMGetAttributes failed\n");
            CloseHandles();
            return 0;
        }
        if (m_wimInfo.ImageCount < image && m_wimInfo.ImageCount < fallbackImage) {
            Log(u"Failure, There is no index %d in the WIM file\n", static_cast<int>(image));
            CloseHandles();
            return 0;
        }
        if (!WIMSetTemporaryPath(m_hWim, tempPath)) {
            Log(u"Failure, Can not set temp path to work in\n");
            CloseHandles();
            return 0;
        }
        if (useReferences && references)
            for (const CString& reference : *references) SetReferenceFile(reference);
        // A refused reference closed the file handle; loading then fails below.
        if (m_hWim) m_hImage = WIMLoadImage(m_hWim, image);
        if (!m_hImage && m_hWim) m_hImage = WIMLoadImage(m_hWim, fallbackImage);
        if (!m_hImage) {
            Log(u"Failure, Can not load imagex %d from src WIM file", static_cast<int>(image));
            CloseHandles();
            return 0;
        }
        if (!WIMApplyImage(m_hImage, target, 0)) {
            Log(u"Failure, Applying image failed\n");
            CloseHandles();
            return 0;
        }
        CloseHandles();
        return 1;
    } catch (...) {
        CloseHandles();
        return 0;
    }
}

int CWimFile::SetReferenceFile(CString partPath) {
    try {
        if (partPath.IsEmpty()) return 0;
        CString folder, fileName, baseName, extension;
        CutAtLast(partPath, u'\\', folder, fileName);
        CutAtLast(fileName, u'.', baseName, extension);
        CString pattern;
        pattern.Format(u"%s\\%s*.%s", folder.GetString(), baseName.GetString(), extension.GetString());
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(pattern, &found);
        if (search == INVALID_HANDLE_VALUE) return 0;
        FindClose(search);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
        CString referencePath;
        referencePath.Format(u"%s\\%s", folder.GetString(), found.cFileName);
        Log(u"Success, refName= %s\n", referencePath.GetString());
        if (WIMSetReferenceFile(m_hWim, referencePath, WIM_REFERENCE_APPEND)) return 1;
        Log(u"%d, Set reference file fail\n", static_cast<int>(GetLastError()));
        CloseHandles();
        return 0;
    } catch (...) {
        return 0;
    }
}

int CWimFile::Split(CString wimPath, LONGLONG partSize) {
    try {
        Log(u"Split start!");
        DWORD creationResult = 0;
        m_hImage = WIMCreateFile(wimPath, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, &creationResult);
        CString firstPart = FirstPartPath(wimPath);
        if (!m_hImage) {
            Log(u"Cannot open src WIM file.");
            CloseHandles();
            return 0;
        }
        WIM_INFO info{};
        if (!WIMGetAttributes(m_hImage, &info, sizeof(info))) {
            Log(u"WIMGetAttributes failed.");
            CloseHandles();
            return 0;
        }
        if (info.TotalParts != 1) {
            Log(u"The .wim file has already been splitted. Cannot split it again.");
            CloseHandles();
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        LARGE_INTEGER size;
        size.QuadPart = partSize;
        if (!WIMSplitFile(m_hImage, firstPart, &size, 0)) {
            Log(u"Split failed.");
            if (GetLastError() == ERROR_MORE_DATA) Log(u"Need bigger chunk size to split.");
            CloseHandles();
            return 0;
        }
        Log(u"Split successfully!");
        CloseHandles();
        if (GetFileAttributesW(wimPath) != INVALID_FILE_ATTRIBUTES) {
            SetFileAttributesW(wimPath, FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(wimPath)) return 0;
        }
        return 1;
    } catch (...) {
        CloseHandles();
        return 0;
    }
}
