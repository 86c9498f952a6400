// What became of each file given to a backup, as the module told it: stored,
// of no category (not stored), or left out with the reason.
#pragma once

#include <string>
#include <vector>

#include "atlstr.h"
#include "host.h"

namespace qxfm {

struct BackupSummary {
    size_t stored = 0;
    std::vector<CString> noCategory;
    std::vector<std::pair<CString, std::string>> leftOut;  // file, reason
};

struct BackupInputs {
    const std::vector<CString>& exclusions;
    bool categoriesChosen;  // --category limited the backup
};

// Sorts the files the module named during the backup; the rest of the listed
// files were stored (the module counts them).
BackupSummary SummarizeBackup(const Host& host, const BackupInputs& inputs);
void PrintBackupSummary(const BackupSummary& summary, size_t imageFileCount);

}  // namespace qxfm
