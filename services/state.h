// Process-wide settings and results of the module, live from load to unload.
#pragma once

#include <vector>

#include "api/qxfilemgr.h"

extern CString g_strDebugLogFile;             // "Dbg.log" until SetDebugLogFileName
extern CString g_strRestoreRootName;          // empty until SetRestoreRootName
extern std::vector<CString> g_arExclusionList;
extern std::vector<CString> g_arScanResult;   // paths of the last scan
extern ULONGLONG g_ullScanTotalBytes;         // bytes of the last scan's matches
extern HWND* g_pHostWnd;                      // the host's window handle, by address
extern int g_nOperation;                      // an OperationKind
extern int g_nCallbackArg;                    // copy of g_nOperation handed to the callback
extern ContinueCallback g_pfnContinue;
extern int g_nHostProtocol;                   // QXFM_PROTOCOL_DOCUMENTED until SetHostProtocol

// Registered at load time.
extern UINT ProgressIntMessage;
extern UINT ProgressStrMessage;
extern UINT OperationStrMessage;
extern UINT ErrorStrMessage;

// Polls the host: copies g_nOperation into g_nCallbackArg and asks
// g_pfnContinue. Returns false when the host cancels; a null callback never does.
bool AskContinue();
