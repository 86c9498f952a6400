#include "selection/type_list.h"

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

#include "services/dbglog.h"
#include "services/report_error.h"
#include "wcrt.h"

namespace {

// The file-error cause the runtime reports for an open that failed.
UINT FileErrorCause(DWORD lastError) {
    switch (lastError) {
    case ERROR_FILE_NOT_FOUND:
        return 2;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return 3;
    case ERROR_TOO_MANY_OPEN_FILES:
        return 4;
    case ERROR_ACCESS_DENIED:
        return 5;
    case ERROR_INVALID_HANDLE:
        return 6;
    case ERROR_SHARING_VIOLATION:
        return 11;
    case ERROR_DISK_FULL:
        return 13;
    case ERROR_HANDLE_EOF:
        return 14;
    default:
        return 1;
    }
}

// A type list is a short text; a file larger than this is not one, and is
// refused before its lines can take unbounded memory.
const size_t kMaxTypeListBytes = 8u << 20;
const UINT kFileTooLarge = 27;  // the runtime's cause for a file too large

// Reads one line without its line end; false at the end of the file or once
// more than kMaxTypeListBytes were read (*tooLarge then set). A NUL ends the
// line's text as it ends a string; the bytes after it up to the line end are
// dropped, so the next line is still read as a line of its own.
bool ReadLine(FILE* file, CString& line, size_t* bytesRead, bool* tooLarge) {
    std::string bytes;
    bool any = false, cut = false;
    for (int c; (c = getc(file)) != EOF;) {
        any = true;
        if (++*bytesRead > kMaxTypeListBytes) {
            *tooLarge = true;
            return false;
        }
        if (c == '\n') break;
        if (c == 0) cut = true;
        if (!cut) bytes += static_cast<char>(c);
    }
    if (!any) return false;
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    line.Empty();
    if (bytes.empty()) return true;
    int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length > 0) {
        std::u16string wide(static_cast<size_t>(length), u'\0');
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
        line = CString(std::move(wide));
    }
    return true;
}

// Skips a UTF-8 byte-order mark at the start of the file, as editors write
// one: it would make the first header a line of text.
void SkipUtf8Mark(FILE* file) {
    unsigned char mark[3] = {};
    if (fread(mark, 1, sizeof mark, file) == sizeof mark && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF)
        return;
    rewind(file);
}

bool IsHeader(const CString& line) {
    return !line.IsEmpty() && line[0] == u'[' && line[line.GetLength() - 1] == u']';
}

bool IsWanted(const CString& name, const std::vector<CString>* categories) {
    if (!categories || categories->empty()) return true;
    for (const CString& wanted : *categories)
        if (name.CompareNoCase(wanted) == 0) return true;
    return false;
}

// Parses the file's lines into records; see LoadTypeList.
class TypeListParser {
public:
    TypeListParser(const std::vector<CString>* categories, std::vector<TypeEntry>* types)
        : m_categories(categories), m_types(types) {}

    void Line(CString line) {
        line.MakeUpper();
        if (IsHeader(line))
            Header(line);
        else
            Extensions(line);
    }

    bool Finish() {
        Commit();
        return m_result;
    }

private:
    void Commit() {
        if (!m_hasExtensions) return;
        m_types->push_back(m_current);
        DbgLog(u"You add type: %s for searching", m_current.Category.GetString());
        m_hasExtensions = false;
    }

    void Header(CString line) {
        Commit();
        m_current = TypeEntry();
        m_selected = false;
        line.TrimLeft(u'[');
        line.TrimRight(u']');
        if (IsWanted(line, m_categories)) {
            m_current.Category = line;
            m_selected = true;
        }
    }

    // The first token is always taken, so a line of commas only gives one empty pattern.
    void Extensions(const CString& line) {
        if (m_current.Category.IsEmpty() || !m_selected || line.IsEmpty()) return;
        int position = 0;
        CString token = line.Tokenize(u",", position);
        do {
            token.Trim(u' ');
            m_current.Extension.push_back(token);
            DbgLog(u"You add type: %s, extension: %s for searching", m_current.Category.GetString(),
                   token.GetString());
            token = line.Tokenize(u",", position);
        } while (position != -1);
        m_hasExtensions = true;
        m_result = true;
    }

    const std::vector<CString>* m_categories;
    std::vector<TypeEntry>* m_types;
    TypeEntry m_current;
    bool m_selected = false;
    bool m_hasExtensions = false;
    bool m_result = false;
};

}  // namespace

bool LoadTypeList(CString typeListFile, std::vector<CString>* categories, std::vector<TypeEntry>* types) {
    if (!types) return false;
    SetFileAttributesW(typeListFile, FILE_ATTRIBUTE_NORMAL);
    std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(typeListFile, u"rt"), fclose);
    if (!file) {
        const UINT cause = FileErrorCause(GetLastError());
        ReportError(MSG_ERROR_LOAD_TYPE_LIST_FAILED, typeListFile.GetString(), cause);
        return false;
    }
    SkipUtf8Mark(file.get());
    const size_t typesBefore = types->size();
    TypeListParser parser(categories, types);
    CString line;
    size_t bytesRead = 0;
    bool tooLarge = false;
    while (ReadLine(file.get(), line, &bytesRead, &tooLarge)) parser.Line(line);
    if (tooLarge) {
        types->erase(types->begin() + static_cast<std::ptrdiff_t>(typesBefore), types->end());
        ReportError(MSG_ERROR_LOAD_TYPE_LIST_FAILED, typeListFile.GetString(), kFileTooLarge);
        return false;
    }
    return parser.Finish();
}
