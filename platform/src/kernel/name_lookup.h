// Case-insensitive name lookup in a host folder, with the folder's names kept
// between calls: creating many files in one large folder reads it once.
#pragma once

#include <sys/stat.h>

#include <string>

enum class QxNoCaseMatch { None, One, Several };

// The entry of hostDir that equals name ignoring case, in *found when there is
// exactly one. Several such entries name no file: the caller must not pick one.
// dirStat: hostDir's stat(2), when the caller has just taken it.
QxNoCaseMatch QxFindNameNoCase(const std::string& hostDir, const std::string& name, std::string& found,
                               const struct stat* dirStat = nullptr);

// Tells the lookup that this layer has just created the entry hostPath.
void QxNoteCreated(const std::string& hostPath);
