// Where every run of this user finds the backups that may have left something
// beside the users' files: the folders whose journal names pieces or
// exception copies, kept in the registry from before such a thing is made
// until the journal is carried out. A backup killed while cutting a big file
// thus never leaves pieces in the way of a later backup into another folder.
#pragma once

#include "atlstr.h"

// Enters folder's backup journal; false when it cannot be entered.
bool EnterLeftJournal(const CString& folder);
// Forgets folder's journal once it is carried out (its file is gone).
void ForgetLeftJournal(const CString& folder);
// Carries out each journal entered and not forgotten, as a backup or restore
// of its own folder would, and forgets those that are done.
void ReplayLeftJournals();
