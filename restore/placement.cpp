#include "restore/placement.h"

#include "services/contained_path.h"
#include "services/dbglog.h"
#include "services/exception_folders.h"
#include "services/report_error.h"
#include "restore/shortcut.h"

namespace {

struct ExceptionList {
    std::vector<CString> lines;
    bool restoredOne = false;
};

bool WriteIfRestored(ExceptionList& list, const CString& folder) {
    if (!list.restoredOne || list.lines.empty()) return true;
    return WriteFileListLog(&list.lines, folder, TRUE, TRUE);
}

}  // namespace

bool RebaseOntoDriveFolder(const CString& stored, const CString& driveText, const CString& driveFolder,
                           CString& rebased) {
    if (driveText.IsEmpty() || stored.Left(driveText.GetLength()).CompareNoCase(driveText) != 0) return false;
    return RelocateBelow(driveFolder, driveText, stored, &rebased);
}

CString ExceptionKindOf(const CString& path) {
    CString rest = path;
    for (int slash = rest.ReverseFind(u'\\'); slash >= 0; slash = rest.ReverseFind(u'\\')) {
        CString name = rest.Mid(slash + 1);
        if (name.Find(kException1) >= 0) return kException1;
        if (name.Find(kException2) >= 0) return kException2;
        rest = rest.Left(slash);
    }
    return CString();
}

bool PlaceOverLengthFiles(const CString& driveText, const CString& driveFolder,
                          const std::map<CString, CString>& overLength, const std::vector<CString>& restored) {
    ExceptionList exception1, others;
    bool placed = true;
    for (const auto& entry : overLength) {
        CString current;
        if (!RebaseOntoDriveFolder(entry.first, driveText, driveFolder, current)) continue;
        ExceptionList& list = ExceptionKindOf(current) == kException1 ? exception1 : others;
        list.lines.push_back(u"Current File Location:" + current);
        for (const CString& line : restored) {
            CString origin;
            if (line.CompareNoCase(current) != 0) continue;
            if (!RebaseOntoDriveFolder(entry.second, driveText, driveFolder, origin)) continue;
            list.restoredOne = true;
            list.lines.push_back(u"Original File Location:" + origin);
            placed = UsableBelow(driveFolder, current, MSG_ERROR_SHORTCUT_FAILED) &&
                     PlaceShortcut(current, origin, driveFolder) && placed;
            ReportErrorPath(MSG_ERROR_PATH_LONGER_THAN_260, current);
            break;
        }
        list.lines.push_back(u" ");
    }
    bool written = WriteIfRestored(exception1, driveFolder + kException1);
    return WriteIfRestored(others, driveFolder + kException2) && written && placed;
}
