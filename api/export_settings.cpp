#include "services/state.h"

int SetDebugLogFileName(CString fileName) {
    try {
        g_strDebugLogFile = fileName;
    } catch (...) {
    }
    return 1;
}

int SetRestoreRootName(CString rootName) {
    try {
        g_strRestoreRootName = rootName;
    } catch (...) {
    }
    return 1;
}

// A null list leaves the current exclusions as they are.
int SetExclusionFileList(std::vector<CString>* exclusionList) {
    try {
        if (exclusionList) g_arExclusionList = *exclusionList;
    } catch (...) {
    }
    return 1;
}
