// The copy loop of the raw backup: every listed file is copied to
// <target folder>\<drive letter>\<path>, named and with attributes as on disk.
#pragma once

#include <vector>

#include "atlstr.h"

class CRawBackupFolder;

enum RawCopyResult {
    RAW_COPY_DONE = 0,       // every existing file was copied, at least one
    RAW_COPY_INCOMPLETE = 1, // no file existed, or some could not be copied (each named by -240)
    RAW_COPY_STOPPED = 2,    // cancelled, or a file larger than the free space (-242): nothing is worth keeping
};

// Copies each existing file of *paths below the backup folder, which this run
// has to itself and opens for the first copy. Paths that name nothing are
// removed from *paths (-239). The continue callback is asked after every copy.
// Copies never replace one another: names that differ only by case give
// separate copies. Source files are never changed. The folder is left as it
// is for the caller to keep or remove.
RawCopyResult RawCopy(std::vector<CString>* paths, CRawBackupFolder& backupFolder);
