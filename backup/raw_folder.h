// The time-stamped folder of one raw backup.
#pragma once

#include <vector>

#include "atlstr.h"

class CRawBackupFolder {
public:
    // <destination>\<local time as "%Y-%m-%d %H%M%S">; when a folder of that
    // name exists already (a backup made within the same second), " (2)",
    // " (3)" ... is added, so that this run never writes into another's folder.
    explicit CRawBackupFolder(const CString& destinationFolder);

    const CString& Path() const { return m_path; }
    // Removes everything this run made: the time-stamped folder and the
    // folders of the destination path that did not exist before.
    void Remove();

private:
    CString m_path;
    std::vector<CString> m_madeLevels; // missing destination levels, deepest first
};
