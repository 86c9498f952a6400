#include "services/dbglog.h"

#include "services/local_time.h"
#include "services/path_parts.h"
#include "wcrt.h"

namespace {

// The formatted message, terminator included; a longer message is cut and
// ends with kCutMark, so that no reader takes what is left (a path, say) for
// the whole.
constexpr size_t kMessageChars = 2047;
constexpr WCHAR kCutMark[] = u" [...cut]";
constexpr size_t kCutMarkChars = sizeof kCutMark / sizeof kCutMark[0] - 1;

bool IsHighSurrogate(WCHAR ch) { return ch >= 0xD800 && ch <= 0xDBFF; }

// The length of the message in buffer (kMessageChars with its terminator)
// once a cut one carries the mark in place of its last characters, never
// after half a surrogate pair.
size_t MarkCut(WCHAR* buffer) {
    size_t at = kMessageChars - 1 - kCutMarkChars;
    if (IsHighSurrogate(buffer[at - 1])) --at;
    for (size_t i = 0; i <= kCutMarkChars; ++i) buffer[at + i] = kCutMark[i];
    return at + kCutMarkChars;
}

// One log writer: its stream, the file that stream writes to, and its buffer
// (room for the message, its line break and the terminator). A stream still
// open when the module is unloaded is closed then.
struct LogWriter {
    ~LogWriter() {
        if (stream) fclose(stream);
    }
    FILE* stream = nullptr;
    CString streamPath;
    CString fullPath;  // streamPath as a full path, taken when it was opened
    WCHAR message[kMessageChars + 1];
};

LogWriter g_dbgLog;
bool g_dbgLogHeld = false;  // an operation keeps the stream open until it ends
LogWriter g_imgLog;  // the image engine's writer, open only while it writes an entry

// The image engine logs here whatever the debug-log setting is.
const WCHAR* const kImgLogFile = u"Dbg.log";

bool OpenForAppend(LogWriter& writer, const CString& path) {
    writer.stream = _wfopen(path, u"at");
    if (!writer.stream) return false;
    writer.streamPath = path;
    writer.fullPath = NormalFullPathOf(path);
    return true;
}

void CloseStream(LogWriter& writer) {
    if (!writer.stream) return;
    fclose(writer.stream);
    writer.stream = nullptr;
}

// One entry: time stamp line, then the message and its line break. The stream
// appends, and each entry is flushed whole, so two writers appending to one
// file never split an entry.
// The text goes out as UTF-8 bytes: the runtime's own conversion of a text
// stream (the C locale) has no characters beyond Latin-1 and would drop the
// rest of a message that holds one.
void WriteEntry(LogWriter& writer, const CString& path, const WCHAR* format, va_list args) {
    try {
        const int formatted = QxFormatTruncated(writer.message, kMessageChars, format, args);
        const size_t length = formatted < 0 ? MarkCut(writer.message) : static_cast<size_t>(formatted);
        writer.message[length] = u'\n';
        writer.message[length + 1] = 0;

        if (!writer.stream) {  // an open stream's file was made writable when it was opened
            SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
            if (!OpenForAppend(writer, path)) return;
        }
        fputs(LocalTimeText(u"[%Y-%m-%d %H%M%S]\n").ToUtf8().c_str(), writer.stream);
        fputs(CString(writer.message).ToUtf8().c_str(), writer.stream);
        fflush(writer.stream);
    } catch (...) {
        // The log never fails towards its caller.
    }
}

const WCHAR* TextOf(const QxfmCodeText* row) { return row && row->text ? row->text : u""; }

}  // namespace

void DbgLog(const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    DbgLogV(format, args);
    va_end(args);
}

// Outside an operation each entry opens and closes the file, so that it goes
// where the setting and the current folder say at that moment.
void DbgLogV(const WCHAR* format, va_list args) {
    WriteEntry(g_dbgLog, g_strDebugLogFile, format, args);
    if (!g_dbgLogHeld) CloseDbgLog();
}

void ImgLog(const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    WriteEntry(g_imgLog, kImgLogFile, format, args);
    va_end(args);
    // Closed after each entry, so that the next one goes to the Dbg.log that is
    // in the current folder then, even when the host has changed folders or
    // removed the file since.
    CloseStream(g_imgLog);
}

void OpenDbgLogForOperation() {
    SetFileAttributesW(g_strDebugLogFile, FILE_ATTRIBUTE_NORMAL);
    CloseStream(g_dbgLog);
    OpenForAppend(g_dbgLog, g_strDebugLogFile);
    g_dbgLogHeld = true;
}

// The file the stream wrote to is left read-only and hidden; setting the
// attributes keeps its times.
void CloseDbgLog() {
    g_dbgLogHeld = false;
    if (!g_dbgLog.stream) return;
    CloseStream(g_dbgLog);
    SetFileAttributesW(g_dbgLog.streamPath, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
}

bool IsOpenDbgLog(const CString& path) {
    return g_dbgLog.stream && !g_dbgLog.fullPath.IsEmpty() && NormalFullPathOf(path) == g_dbgLog.fullPath;
}

const WCHAR* ErrorText(int code) { return TextOf(QxfmFindErrorCode(code)); }

const WCHAR* OperationText(int code) { return TextOf(QxfmFindOperationCode(code)); }
