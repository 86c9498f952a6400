#include "restore/placement.h"

#include <map>

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

// The exception folder that keeps the list naming a copy: "_Exception1" for one
// of that kind, else the exception folder the copy lies in ("_Exception3" ...
// where the backup found the usual one to be a link), or "_Exception2".
CString ListFolderOf(const CString& copy, const CString& driveFolder) {
    if (ExceptionKindOf(copy) == kException1) return kException1;
    const CString below = copy.Mid(driveFolder.GetLength());
    const CString top = below.Left(below.Find(u'\\'));
    return IsExceptionFolderName(top) ? top : CString(kException2);
}

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
    std::map<CString, ExceptionList> lists;  // by the exception folder that keeps each
    bool placed = true;
    for (const auto& entry : overLength) {
        CString current;
        if (!RebaseOntoDriveFolder(entry.first, driveText, driveFolder, current)) continue;
        ExceptionList& list = lists[ListFolderOf(current, driveFolder)];
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
    bool written = true;
    for (auto& [folder, list] : lists) written = WriteIfRestored(list, driveFolder + folder) && written;
    return written && placed;
}
