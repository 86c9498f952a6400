#include "backup/excluded_path.h"

#include "services/dbglog.h"

bool IsExcludedPath(const CString& path) {
    if (g_arExclusionList.empty()) return false;  // the common case: nothing to upper-case
    CString belowDrive = path.GetLength() > 2 ? path.Mid(2) : CString();
    belowDrive.MakeUpper();
    for (const CString& entry : g_arExclusionList) {
        if (entry.IsEmpty()) continue;
        CString upperEntry = entry;
        upperEntry.MakeUpper();
        if (belowDrive.Find(upperEntry) >= 0) {
            DbgLog(u"Exclusing file %s", belowDrive.GetString());
            return true;
        }
    }
    return false;
}

void LogIgnoredExclusions() {
    for (size_t i = 0; i < g_arExclusionList.size(); ++i)
        if (g_arExclusionList[i].IsEmpty())
            DbgLog(u"Exclusion entry %d is empty and is ignored: it would exclude every file", static_cast<int>(i + 1));
}
