#include "image/excluded_path.h"

#include "services/dbglog.h"

bool IsExcludedPath(const CString& path) {
    if (g_arExclusionList.empty()) return false;  // the common case: nothing to upper-case
    CString belowDrive = path.GetLength() > 2 ? path.Mid(2) : CString();
    belowDrive.MakeUpper();
    for (const CString& entry : g_arExclusionList) {
        CString upperEntry = entry;
        upperEntry.MakeUpper();
        if (belowDrive.Find(upperEntry) >= 0) {
            DbgLog(u"Exclusing file %s", belowDrive.GetString());
            return true;
        }
    }
    return false;
}
