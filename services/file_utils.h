// File size, total size and deletion of file lists.
#pragma once

#include <vector>

#include "atlstr.h"

// True when path names an existing file (not a folder), or an existing folder.
bool IsExistingFile(const CString& path);
bool IsExistingFolder(const CString& path);
// The first entry path names (FindFirstFileW: a name held only in another
// letter case matches too, and wildcards in the last name match as a pattern);
// false when there is none.
bool FindEntry(const CString& path, WIN32_FIND_DATAW* data);
// FindEntry with the last name taken as a name, never as a pattern: a name
// holding a wildcard character (* ? < > ", which no name holds on Windows)
// names no entry, and the last error is ERROR_INVALID_NAME.
bool FindNamedEntry(const CString& path, WIN32_FIND_DATAW* data);
// True when path holds a name no path can hold (a Linux name with a colon, a
// quote, a wildcard or a control character): a file of that name may exist,
// but it can be neither opened nor told apart from a missing one.
bool HoldsANameNoPathCan(const CString& path);
// The entry path names with exactly this spelling of every name (one that
// differs only in case is another entry); false when there is none.
bool FindAsSpelled(const CString& path, WIN32_FIND_DATAW* data);
// True when path names an existing file with exactly this spelling.
bool IsExistingFileAsSpelled(const CString& path);
// Size of a file looked up in the file system (nothing is opened); 0 for an
// empty path, a path that does not exist, or a folder.
ULONGLONG GetFileSize64(const CString& path);
// Sum of the sizes of the listed files that exist; the continue callback is
// asked before each file and a cancel answer makes the result 0. 0 for null.
ULONGLONG GetTotalSize(const std::vector<CString>* paths);
// Deletes every listed file that exists, attributes reset to normal first;
// failures are ignored.
void DeleteFiles(const std::vector<CString>* paths);
// Deletes one file after resetting its attributes; false when it is still there.
bool DeleteFileForced(const CString& path);
// Gives a folder a last-write time; false when it cannot be opened or set.
bool SetFolderTime(const CString& folder, const FILETIME& lastWrite);
