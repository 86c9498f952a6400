// Relocation of over-length paths into the exception folders of their drive.
#pragma once

#include "atlstr.h"

// Paths longer than this are copied aside before a backup: 260 less the
// length of a restore root such as "C:\System Recovery Files\2010-11-23 153012\".
constexpr int kOverLengthLimit = 260 - (3 + 21 + 1 + 17 + 1);

bool IsOverLength(const CString& path);

// Copies the file at path into "_Exception1" (keeping the tail of its path) or
// "_Exception2" (keeping only its name, under a free name) at its drive root.
// path becomes the planned copy location whenever one was planned, even when
// the copy failed. 1 when a copy was made.
int RelocateOverLength(CString& path);

// Copies source to target, or to target with "_01", "_02" ... before its
// extension when target exists; target becomes the name used.
int CopyToFreeName(const CString& source, CString& target);

// Creates the folders leading to target (adding folderAttributes to new ones)
// and copies source over target through the long-path form.
int CopyWithLongPathPrefix(const CString& source, const CString& target, DWORD folderAttributes);
