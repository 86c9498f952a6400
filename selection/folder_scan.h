// The extension matcher and the folder walk (collecting and probe modes).
#pragma once

#include <vector>

#include "atlstr.h"

// True when extension (without dot) matches one of the patterns: exact patterns
// ignoring case, or prefix patterns ending in "*" (the empty pattern and "*"
// match every extension). An empty extension never matches.
bool MatchExtension(CString extension, const std::vector<CString>* patterns);

// Walks folder depth-first in directory-listing order, never following reparse
// points. Collecting mode (totalBytes set): appends every matching file to
// result, adds its size to *totalBytes, posts progress. Probe mode (totalBytes
// null): stops at the first matching file. True completed or found, false failed or cancelled,
// or when folder itself does not exist or cannot be listed (the debug log names it).
bool ScanFolder(CString folder, const std::vector<CString>* patterns, double usedBytes, double* progressBytes,
                std::vector<CString>* result, ULONGLONG* totalBytes);
