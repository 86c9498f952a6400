// What became of each file given to a backup, told from the images it wrote:
// stored, of no category (not stored), or left out with the reason.
#pragma once

#include <string>
#include <vector>

#include "atlstr.h"
#include "display.h"

namespace qxfm {

struct BackupSummary {
    size_t stored = 0;
    std::vector<CString> noCategory;
    std::vector<std::pair<CString, std::string>> leftOut;  // file, reason
};

struct BackupInputs {
    const std::vector<CString>& files;
    const std::vector<CString>& exclusions;
    bool categoriesChosen;                    // --category limited the backup
    const std::vector<CString>& overLength;   // files the module reported as longer than 260 (stored relocated)
    const std::vector<std::pair<CString, std::string>>& notStored;  // files the module named as not stored, why
};

// Reads the images (one file, or the parts of a split one) and sorts the input files.
BackupSummary SummarizeBackup(Display& display, const BackupInputs& inputs, const std::vector<CString>& imageFiles);
void PrintBackupSummary(const BackupSummary& summary, size_t imageFileCount);

}  // namespace qxfm
