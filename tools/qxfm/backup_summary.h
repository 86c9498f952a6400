// What became of each file given to a backup, as the module told it: stored,
// of no category (not stored), or left out with the reason; and what the
// backup made of them.
#pragma once

#include <string>
#include <vector>

#include "atlstr.h"
#include "host.h"

namespace qxfm {

struct BackupSummary {
    unsigned long long stored = 0, storedBytes = 0;
    std::vector<std::pair<CString, ULONGLONG>> imageFiles;  // path, size
    std::vector<CString> noCategory;
    std::vector<std::pair<CString, std::string>> leftOut;  // file, reason
};

struct BackupInputs {
    const std::vector<CString>& exclusions;
    bool categoriesChosen;  // --category limited the backup
};

// Sorts the files the module named during the backup; the rest of the listed
// files were stored (the module counts them and their bytes).
BackupSummary SummarizeBackup(const Host& host, const BackupInputs& inputs, const std::vector<CString>& imageFiles);
// The image files, the summary and the files not stored: printed, or into the JSON document.
void ReportBackup(const BackupSummary& summary);

}  // namespace qxfm
