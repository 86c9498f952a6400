// PLACEHOLDER so the module links while the image engine is being written:
// delete this file when image/*.cpp define CWimFile, WimMessageCallback,
// g_capture, g_pfnWimCallback and ListLogLines.
#include "image/capture_context.h"
#include "image/wim_file.h"

CaptureContext g_capture;
FARPROC_WIM_CALLBACK g_pfnWimCallback = nullptr;
void ListLogLines::Reset(const CString& firstLine) {
    m_lines = {firstLine};
    m_set = {firstLine.str()};
}
void ListLogLines::Append(const CString& line) {
    m_lines.push_back(line);
    m_set.insert(line.str());
}
DWORD CALLBACK WimMessageCallback(DWORD, WPARAM, LPARAM, PVOID) { return 0; }
CWimFile::CWimFile(DWORD compression, FARPROC_WIM_CALLBACK) : m_dwCompression(compression) {}
CWimFile::~CWimFile() = default;
int CWimFile::Capture(CString, CString, CString, DWORD) { return 0; }
int CWimFile::Apply(CString, CString, DWORD, DWORD, CString, BOOL, const std::vector<CString>*) { return 0; }
int CWimFile::Split(CString, LONGLONG) { return 0; }
int CWimFile::SetReferenceFile(CString) { return 0; }
int CWimFile::CloseHandles() { return 0; }
