// Entering the input files of a backup into the catalog.
#pragma once

#include "catalog/serialization.h"

class RunJournal;

// The category whose patterns match extension (first category, first pattern
// in type-list order), or "OTHERS".
CString CategoryOfExtension(CQXSerialization& catalog, const CString& extension);

// Files the file found at path, of size bytes, under its drive and under
// category (its CategoryOfExtension); a file larger than a non-zero threshold
// is cut into pieces first and recorded as a big file (all ones never cuts;
// the pieces are entered in journal before they are made). A drive's list
// takes room at its first file for filesToCome more, an upper bound. The
// result is the node as filed under its drive.
const FileNode& EnterFile(CQXSerialization& catalog, const CString& path, const CString& category, ULONGLONG size,
                          ULONGLONG bigFileThreshold, RunJournal& journal, size_t filesToCome);
