// The copy loop of the raw backup: every listed file is copied to
// <target folder>\<drive letter>\<path> with its attributes.
#pragma once

#include <vector>

#include "atlstr.h"

// Copies each existing file of *paths below targetFolder, overwriting existing
// copies when overwrite is set. Paths that name nothing are removed from *paths
// (-239). A file larger than the free space of the target volume (-242) and a
// cancel of the continue callback, asked after every copy, remove the whole
// target folder. Source files are never changed.
// Returns 0 when the last existing file was copied; 1 for a null list, no
// existing file, a failed last copy (-240), lack of space or cancellation; the
// folder-creation result when that failed for the last file.
int RawCopy(std::vector<CString>* paths, CString targetFolder, BOOL overwrite);
