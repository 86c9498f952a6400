// Folder creation whose every new level is entered in a run's journal first.
#pragma once

#include "atlstr.h"

class RunJournal;

// Makes the missing folders on the way to file (a folder path ends in a
// backslash), each entered in journal before it is made; new folders get
// attributes added. False when an entry cannot be written or a level cannot
// be made (-230 posted).
bool MakeFoldersFor(const CString& file, DWORD attributes, RunJournal& journal);

// The same below root, a folder of the run's own (ending in a backslash):
// there a level counts only as spelled, so "docs" is made beside "Docs"
// wherever the file system can hold both.
bool MakeFoldersBelow(const CString& root, const CString& file, RunJournal& journal);
