// Folder creation level by level, and folder-tree deletion.
#pragma once

#include "atlstr.h"

// Creates every missing folder on the way to path (an existing one counts
// whatever its letter case); the last component is a file name and is not
// created (a folder path must end in a backslash). New folders get attributes
// added. False on failure (-230 posted, the failed level's long-path form
// stored into *failed when given).
bool CreateDirectories(CString path, DWORD attributes = 0, CString* failed = nullptr);

// CreateDirectories for a path below root (ending in a backslash) whose
// existing levels are real folders, none a link or mount point; otherwise
// nothing is created, -230 is posted and the result is false. Below root a
// level counts only as spelled: "DOCS" is made beside an existing "Docs"
// wherever the file system can hold both.
bool CreateDirectoriesBelow(const CString& root, const CString& path);

// Removes a folder tree without following links met inside it. True when the
// folder is gone; false when the path was refused as dangerous (-224 posted)
// or when anything of the tree stayed (each entry that could not go is logged).
bool DeleteFolderTree(CString folder);
