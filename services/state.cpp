#include "services/state.h"

CString g_strDebugLogFile = u"Dbg.log";
CString g_strRestoreRootName;
std::vector<CString> g_arExclusionList;
std::vector<CString> g_arScanResult;
ULONGLONG g_ullScanTotalBytes = 0;
HWND* g_pHostWnd = nullptr;
int g_nOperation = 0;
int g_nCallbackArg = 0;
ContinueCallback g_pfnContinue = nullptr;
int g_nHostProtocol = QXFM_PROTOCOL_DOCUMENTED;

// Registered when the module is loaded, before any export can run.
UINT ProgressIntMessage = RegisterWindowMessageW(QXFM_PROGRESS_INT_MESSAGE);
UINT ProgressStrMessage = RegisterWindowMessageW(QXFM_PROGRESS_STR_MESSAGE);
UINT OperationStrMessage = RegisterWindowMessageW(QXFM_OPERATION_STR_MESSAGE);
UINT ErrorStrMessage = RegisterWindowMessageW(QXFM_ERROR_STR_MESSAGE);

bool AskContinue() {
    g_nCallbackArg = g_nOperation;
    return !g_pfnContinue || g_pfnContinue(&g_nCallbackArg) != 0;
}
