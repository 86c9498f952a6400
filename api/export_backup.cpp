#include "api/qxfilemgr.h"

// The image backup is not built yet.
int Backup(HWND*, std::vector<CString>*, CString, std::vector<CString>*, CString, CString, BOOL, int, int,
           std::vector<CString>*, ContinueCallback) {
    return 1;
}
