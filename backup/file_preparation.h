// Entering the input files of a backup into the catalog.
#pragma once

#include "catalog/serialization.h"

class RunJournal;

// The category whose patterns match extension (first category, first pattern
// in type-list order), or "OTHERS".
CString CategoryOfExtension(CQXSerialization& catalog, const CString& extension);

// Files the file found at path, of size bytes, under its drive and its
// category; a file larger than a non-zero threshold is cut into pieces first
// and recorded as a big file (all ones never cuts; the pieces are entered in
// journal before they are made). False when path is empty.
bool EnterFile(CQXSerialization& catalog, const CString& path, ULONGLONG size, ULONGLONG bigFileThreshold,
               RunJournal& journal);
