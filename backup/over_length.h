// Relocation of over-length paths into the exception folders of their drive.
#pragma once

#include "atlstr.h"

class RunJournal;

// Paths longer than this are copied aside before a backup: 260 less the
// length of a restore root such as "C:\System Recovery Files\2010-11-23 153012\".
constexpr int kOverLengthLimit = 260 - (3 + 21 + 1 + 17 + 1);

bool IsOverLength(const CString& path);

// Copies the file at path into "_Exception1" (keeping the tail of its path) or
// "_Exception2" (keeping only its name) at its drive root, under a free name:
// "_01", "_02" ... go before the extension when the name is taken, so that a
// copy never replaces a file and every over-length file gets its own. Each
// copy and each folder made for it is entered in journal first, and the drive
// root's last-write time is kept there. path becomes the planned copy location
// whenever one was planned, even when the copy failed. True when a copy was made.
bool RelocateOverLength(CString& path, RunJournal& journal);
