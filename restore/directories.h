// Folder creation level by level, and folder-tree deletion.
#pragma once

#include "atlstr.h"

// Creates every missing folder on the way to path; the last component is a
// file name and is not created (a folder path must end in a backslash). New
// folders get attributes added. 0 on success, 1 on failure (-230 posted, the
// failed level's long-path form stored into *failed when given).
int CreateDirectories(CString path, DWORD attributes = 0, CString* failed = nullptr);

// Removes a folder tree without following links met inside it. 0 when the
// deletion ran, 1 when the path was refused as dangerous (-224 posted).
int DeleteFolderTree(CString folder);
