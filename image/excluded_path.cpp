#include "image/excluded_path.h"

#include "services/dbglog.h"

bool IsExcludedPath(const CString& upperPath) {
    CString belowDrive = upperPath.GetLength() > 2 ? upperPath.Mid(2) : CString();
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
