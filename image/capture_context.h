// Process-wide state of a running backup or restore that the image message
// callback reads and fills. Valid only while that operation runs.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "atlstr.h"

// The list-log lines, in order, with a set beside them for the "already
// listed" test that runs once per captured file.
class ListLogLines {
public:
    void Reset(const CString& firstLine);
    void Append(const CString& line);
    bool Contains(const CString& line) const { return m_set.count(line.str()) != 0; }
    std::vector<CString>& lines() { return m_lines; }

private:
    std::vector<CString> m_lines;
    std::unordered_set<std::u16string> m_set;
};

struct CaptureContext {
    std::vector<CString> extensions;  // patterns of the category being captured or restored
    ListLogLines listLog;             // upper-case paths taken (and, in a backup, their size lines)
    ULONGLONG categoryBytes = 0;      // sizes of the files listed during the current capture
    int stepCount = 0;                // images the operation will process
    UINT overallCapturePercent = 0;   // percent reached by the finished images
    UINT overallPercent = 0;          // last overall percent computed by the callback
    ULONGLONG splitProgress = 0;      // bytes of the part files announced in the current split
    CString splitTemplate;            // first part's path, until the first split message
    std::vector<CString> imageFiles;  // image file and part paths of the backup
    // Big files of a backup (upper-case paths): no image takes a big file
    // itself; the image of its category takes its pieces instead.
    CString category;                                            // category being captured
    std::unordered_set<std::u16string> bigFiles;                 // every big file of the backup
    std::unordered_map<std::u16string, CString> pieceCategories; // every piece -> its file's category
};

extern CaptureContext g_capture;

// WIMGAPI's message callback.
DWORD CALLBACK WimMessageCallback(DWORD messageId, WPARAM wParam, LPARAM lParam, PVOID userData);
