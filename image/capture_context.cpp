#include "image/capture_context.h"

CaptureContext g_capture;

void ListLogLines::Reset(const CString& firstLine) {
    m_lines.assign(1, firstLine);
    m_set.clear();
    m_set.insert(firstLine.str());
}

void ListLogLines::Append(const CString& line) {
    m_lines.push_back(line);
    m_set.insert(line.str());
}
