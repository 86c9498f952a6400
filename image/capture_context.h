// The state of a running backup or restore that the image message callback
// reads and fills: the operation owns it and registers it as the callback's
// user data (CWimFile).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "atlstr.h"
#include "image/applied_files.h"

// The list-log lines, in order.
class ListLogLines {
public:
    void Reset(const CString& firstLine) { m_lines.assign(1, firstLine); }
    void Append(const CString& line) { m_lines.push_back(line); }
    // Takes a listed file back out: its path line and the size line after it;
    // false when it is not listed.
    bool RemoveFile(const CString& path);
    std::vector<CString>& lines() { return m_lines; }

private:
    std::vector<CString> m_lines;
};

// What one capture of a backup takes, named exactly as the capture names
// items ("X:\\..." with the drive letter in upper case; letter case counts):
// the files, and every folder with one of them below it. One look-up decides
// an item, whatever its kind.
struct TakenItems {
    enum class Kind {
        Folder,   // taken: a file it takes lies below it
        File,     // taken and listed
        Piece,    // a big file's piece: taken, the list names its big file
        BigFile,  // listed, but it enters the image as its pieces
    };
    static constexpr uint32_t kNoFile = UINT32_MAX;
    struct Item {
        Kind kind;
        uint32_t file;   // the backup's listed file it stands for (kNoFile for a folder)
        ULONGLONG size;  // of a file as the backup found it, for the source list
    };
    // Enters a file and, unless it is a big file, the folders on the way to it.
    void Add(const CString& path, Kind kind, ULONGLONG size = 0, uint32_t file = kNoFile);
    void AddPiece(const CString& piece, const CString& bigFile, uint32_t file = kNoFile);
    // The item of that name; nullptr when the capture does not take it.
    const Item* Find(const std::u16string& name) const;
    // The item's name as the capture gives it: the drive letter in upper case.
    static std::u16string NameOf(const CString& path);

    std::unordered_map<std::u16string, Item> items;
    std::unordered_map<std::u16string, std::u16string> bigFileOfPiece;
};

// What the captures of a backup did with one of its listed files.
struct FileMarks {
    uint32_t standInsTaken = 0;  // the file itself, its exception copy or its pieces
    bool leftOut = false;        // an error of the capture left it out
};

class HeldFiles;

struct CaptureContext {
    std::vector<CString> extensions;  // patterns of the category being captured or restored
    ListLogLines listLog;             // upper-case paths taken (and, in a backup, their size lines)
    ULONGLONG categoryBytes = 0;      // sizes of the files listed during the current capture
    int stepCount = 0;                // images the operation will process
    UINT overallCapturePercent = 0;   // percent reached by the finished images
    UINT overallPercent = 0;          // last overall percent computed by the callback
    ULONGLONG splitProgress = 0;      // bytes of the part files announced in the current split
    ULONGLONG splitTotal = 0;         // bytes of the image file being split
    CString splitTemplate;            // first part's path, until the first split message
    std::vector<CString> imageFiles;  // image file and part paths of the backup
    const TakenItems* taken = nullptr; // what the running capture of a backup takes
    std::u16string offered;            // the item the capture offers, its storage kept for the next
    const std::vector<CString>* listed = nullptr;  // the backup's listed files, by index, to name them
    std::vector<FileMarks> marks;                   // per listed file
    const HeldFiles* held = nullptr;  // the backup's files checked for writers ahead of the captures
    int itemErrors = 0;               // items an apply named as not restored
    AppliedFiles applied;             // the files the running apply of a restore is to make
    CString workFolder, hostFolder;   // a backup's work folder and the backup folder the host gave

    // path with the work folder named as the host's backup folder.
    CString AsTheHostNamesIt(const CString& path) const;

    // After an image was processed or skipped: its share of the overall percent.
    void FinishStep();
};

// WIMGAPI's message callback; userData is the operation's CaptureContext.
DWORD CALLBACK WimMessageCallback(DWORD messageId, WPARAM wParam, LPARAM lParam, PVOID userData);
