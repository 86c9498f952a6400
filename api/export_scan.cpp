// The automatic selection (category listing and scan) and the user-selection frame.
#include "services/dbglog.h"
#include "services/notify.h"
#include "api/operation_frame.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "selection/drives.h"
#include "selection/folder_scan.h"
#include "selection/type_list.h"
#include "selection/unique_names.h"

namespace {

const WCHAR kScanLogCopyFormat[] = u"%ssystem.sav\\logs\\ScanFolder_%s";

// Hands the host every category name of the type list, in file order.
void ListCategories(const CString& typeListFile, std::vector<CString>* categories) {
    std::vector<TypeEntry> types;
    LoadTypeList(typeListFile, categories, &types);
    for (const TypeEntry& type : types) categories->push_back(type.Category);
    DbgLog(u"%s", OperationText(MSG_OPERATION_LOAD_TYPE_LIST_SUCCESS));
    PostOperation(MSG_OPERATION_LOAD_TYPE_LIST_SUCCESS);
}

std::vector<CString> PatternsOf(const std::vector<TypeEntry>& types) {
    std::vector<CString> patterns;
    for (const TypeEntry& type : types)
        if (!type.Category.IsEmpty()) patterns.insert(patterns.end(), type.Extension.begin(), type.Extension.end());
    return patterns;
}

// The roots to walk: the accepted drives, or scanPath alone, spelled as given
// (the found paths keep the names as they are on disk). scanPath gets a
// trailing backslash and is upper-cased in place for the list-log copy.
std::vector<CString> ScanRoots(CString& scanPath) {
    std::vector<CString> roots;
    if (scanPath.IsEmpty()) {
        ListScanRoots(&roots);
        return roots;
    }
    scanPath = WithBackslash(scanPath);
    DbgLog(OperationText(MSG_OPERATION_SCAN_DRIVE), scanPath.GetString());
    PostOperationPath(MSG_OPERATION_SCAN_DRIVE, scanPath);
    roots.push_back(scanPath);
    scanPath.MakeUpper();
    return roots;
}

// How the walk of the roots ended: every root walked, no root to walk, or a
// root failed or was cancelled (then the operation ends at once).
enum class Walked { AllRoots, NoRoot, Stopped };

// Walks every root into g_arScanResult.
Walked WalkRoots(const std::vector<CString>& roots, const std::vector<CString>& patterns) {
    for (const CString& root : roots) {
        double progressBytes = 0;
        if (!ScanFolder(root, &patterns, GetUsedBytes(root), &progressBytes, &g_arScanResult, &g_ullScanTotalBytes)) {
            if (AskContinue()) ReportError(MSG_ERROR_SCAN_FOLDER_FAILED);
            return Walked::Stopped;
        }
        DbgLog(u"You completed the selection!");
    }
    return roots.empty() ? Walked::NoRoot : Walked::AllRoots;
}

// The scan proper, inside the operation frame. True when every root was
// walked and the list log written.
bool ScanForFiles(CString scanPath, const CString& typeListFile, std::vector<CString>* categories,
                  ULONGLONG* fileCount) {
    std::vector<TypeEntry> types;
    LoadTypeList(typeListFile, categories, &types);
    const std::vector<CString> patterns = PatternsOf(types);
    const std::vector<CString> roots = ScanRoots(scanPath);
    g_arScanResult.clear();
    bool walked = false;
    if (patterns.empty()) {
        ReportError(MSG_ERROR_LOAD_TYPE_ARRAY_FAILED);
    } else {
        const Walked outcome = WalkRoots(roots, patterns);
        if (outcome == Walked::Stopped) return false;
        walked = outcome == Walked::AllRoots;
    }
    PostProgress(100, PHASE_SCAN);
    // The copy is made only of a list this scan wrote, never of an older one.
    const bool listWritten = walked && WriteFileListLog(&g_arScanResult, u".", FALSE, FALSE);
    if (fileCount) *fileCount = g_arScanResult.size();
    DbgLog(u"%s", OperationText(MSG_OPERATION_AUTO_SELECTION_END));
    PostOperation(MSG_OPERATION_AUTO_SELECTION_END);
    if (listWritten) CopyFileListLog(kScanLogCopyFormat, scanPath);
    return listWritten;
}

}  // namespace

int ScanFileArraySizeByPredefinedType(HWND* hostWindow, CString scanPath, CString typeListFile,
                                      std::vector<CString>* categories, ULONGLONG* fileCount,
                                      ContinueCallback continueCallback) {
    return RunOperation(OP_AUTO_SELECTION, hostWindow, continueCallback, [&](OperationFrame& frame) {
        LogPhysicalMemory();
        if (!frame.Lock()) return false;
        g_ullScanTotalBytes = 0;
        frame.Start();
        if (fileCount) *fileCount = 0;
        if (!categories) {
            // Without a category vector there is nothing to list or to scan for.
            ReportError(MSG_ERROR_LOAD_TYPE_ARRAY_FAILED);
            return false;
        }
        RemoveDuplicateNames(categories);
        if (!categories->empty()) return ScanForFiles(scanPath, typeListFile, categories, fileCount);
        ListCategories(typeListFile, categories);
        return true;
    });
}

int GetFileArrayByUserSelection(HWND* hostWindow, CString) {
    try {
        g_pHostWnd = hostWindow;
        DbgLog(u"%s", OperationText(MSG_OPERATION_USER_SELECTION_START));
        PostOperation(MSG_OPERATION_USER_SELECTION_START);
        g_nOperation = OP_USER_SELECTION;
        DbgLog(u"Open file browser!");
        DbgLog(u"%s", OperationText(MSG_OPERATION_USER_SELECTION_END));
        PostOperation(MSG_OPERATION_USER_SELECTION_END);
    } catch (...) {
    }
    return 1;
}
