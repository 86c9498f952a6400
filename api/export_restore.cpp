#include "api/qxfilemgr.h"

// The restore is not built yet.
int Restore(HWND*, CString, std::vector<CString>*, CString, ContinueCallback) { return 1; }
