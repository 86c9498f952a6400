// The debug log and the file-list logs.
#pragma once

#include <cstdarg>
#include <vector>

#include "services/state.h"

// One two-line entry: "[%Y-%m-%d %H%M%S]" and the formatted message (cut to
// 2046 characters). Never fails towards the caller.
void DbgLog(const WCHAR* format, ...);
void DbgLogV(const WCHAR* format, va_list args);
// The image engine's own writer: same format, always "Dbg.log" in the folder
// that is current when the entry is written.
void ImgLog(const WCHAR* format, ...);
// Opens the log stream for an operation (attributes reset first); it stays
// open until CloseDbgLog. Outside an operation each entry opens and closes it.
void OpenDbgLogForOperation();
// Closes the stream and leaves the file read-only and hidden.
void CloseDbgLog();
// Whether path (a full path) is the file the debug log holds open now.
bool IsOpenDbgLog(const CString& path);

// Writes lines as UTF-16 LE with BOM and CR LF into folder\SourceFileList.log
// (or ExceptionFileList.log). True when all lines were written; a
// cancellation through the continue callback deletes the partial file.
bool WriteFileListLog(std::vector<CString>* lines, CString folder, BOOL append, BOOL exceptionList);
// Copies SourceFileList.log of sourceFolder (the current folder when empty) to
// the path formatted from format, root and "SourceFileList.log".
void CopyFileListLog(const WCHAR* format, const CString& root, const CString& sourceFolder = CString());

// The texts of the code tables, for logging (empty where a code has none).
const WCHAR* ErrorText(int code);
const WCHAR* OperationText(int code);
