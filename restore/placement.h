// Placement of restored over-length files: exception lists and shortcuts at
// the places the files came from.
#pragma once

#include <map>
#include <vector>

#include "atlstr.h"

// stored re-based onto driveFolder when it begins with driveText ("C:\",
// letter case ignored); false when it is not on that drive or would lead
// outside driveFolder.
bool RebaseOntoDriveFolder(const CString& stored, const CString& driveText, const CString& driveFolder,
                           CString& rebased);

// "_Exception1", "_Exception2" or empty: the marker in the deepest name of path that holds one.
CString ExceptionKindOf(const CString& path);

// Writes the exception lists of one drive and places a shortcut for every
// over-length file the last apply restored. False when a list could not be
// written or a restored file got no shortcut.
bool PlaceOverLengthFiles(const CString& driveText, const CString& driveFolder,
                          const std::map<CString, CString>& overLength, const std::vector<CString>& restored);
