#include <stdexcept>

#include "services/dbglog.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "wcrt.h"

namespace {

const WCHAR* const kSourceListName = u"SourceFileList.log";
const WCHAR* const kExceptionListName = u"ExceptionFileList.log";

// Removes a list log that a cancellation left incomplete.
void DeletePartialListLog(const CString& path) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(path)) throw std::runtime_error("cannot delete an incomplete file list log");
}

}  // namespace

bool WriteFileListLog(std::vector<CString>* lines, CString folder, BOOL append, BOOL exceptionList) {
    if (!lines || lines->empty()) return false;

    // An empty folder means the current folder.
    const CString path = (folder.IsEmpty() ? CString() : WithBackslash(folder)) +
                         (exceptionList ? kExceptionListName : kSourceListName);
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    FILE* stream = _wfopen(path, append ? u"at,ccs=UNICODE" : u"wt,ccs=UNICODE");
    if (!stream) {
        ReportError(MSG_ERROR_CREATE_SOURCELIST_FAILED);
        return false;
    }
    if (append) fseek(stream, 0, SEEK_END);

    for (const CString& line : *lines) {
        if (fputws(line, stream) < 0 || fputws(u"\n", stream) < 0) {
            fclose(stream);
            ReportError(MSG_ERROR_CREATE_SOURCELIST_FAILED);
            return false;
        }
        if (!AskContinue()) {
            fclose(stream);
            DeletePartialListLog(path);
            return false;
        }
    }
    if (fclose(stream) != 0) {
        ReportError(MSG_ERROR_CREATE_SOURCELIST_FAILED);
        return false;
    }
    return true;
}

void CopyFileListLog(const WCHAR* format, const CString& root, const CString& sourceFolder) {
    CString target;
    target.Format(format, root.GetString(), kSourceListName);
    const CString source = (sourceFolder.IsEmpty() ? CString() : WithBackslash(sourceFolder)) + kSourceListName;
    SetFileAttributesW(target, FILE_ATTRIBUTE_NORMAL);
    CopyFileW(source, target, FALSE);
}
