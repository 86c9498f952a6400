// Case-insensitive name lookup in a host folder, with the folder's names kept
// between calls: creating many files in one large folder reads it once.
#pragma once

#include <string>

// Name of an entry of hostDir that equals name ignoring case (the lowest in
// ordinal order when several do); false when there is none.
bool QxFindNameNoCase(const std::string& hostDir, const std::string& name, std::string& found);

// Tells the lookup that this layer has just created the entry hostPath.
void QxNoteCreated(const std::string& hostPath);
