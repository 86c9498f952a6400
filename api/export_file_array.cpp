#include "services/state.h"

// Hands the last scan result over when the host's vector has room for all of
// it; the result is then emptied, the total stays.
int GetFileArrayByPredefinedType(std::vector<CString>* fileList, ULONGLONG* totalSize) {
    if (!fileList || !totalSize) return 1;
    try {
        if (fileList->capacity() < g_arScanResult.size()) return 1;
        fileList->assign(g_arScanResult.begin(), g_arScanResult.end());
        std::vector<CString>().swap(g_arScanResult);
        *totalSize = g_ullScanTotalBytes;
        return 0;
    } catch (...) {
        return 1;
    }
}
