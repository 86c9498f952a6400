// What each capture of a backup takes, entered file by file as the backup
// prepares them: for every drive and category the files entered under them (a
// big file by its pieces, an over-length file by its exception copy), each
// tied to the listed file it stands for, and the folders with one of those
// files below them.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "catalog/records.h"
#include "image/capture_context.h"

class CaptureSelection {
public:
    // Enters a file node as the catalog holds it, standing for listed file `file`.
    void Enter(const FileNode& node, uint32_t file);
    // The items of one capture; an empty set for a pair without files.
    const TakenItems& Of(const CString& drive, const CString& category) const;

private:
    std::map<std::pair<std::u16string, std::u16string>, TakenItems> m_items;
    TakenItems m_none;
};
