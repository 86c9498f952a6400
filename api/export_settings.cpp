#include "services/dbglog.h"
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

int SetHostProtocol(int version) {
    if (version == QXFM_PROTOCOL_DOCUMENTED || version == QXFM_PROTOCOL_EXTENDED) {
        g_nHostProtocol = version;
        return 0;
    }
    try {
        DbgLog(u"SetHostProtocol - there is no host protocol %d; the module keeps protocol %d", version,
               g_nHostProtocol);
    } catch (...) {
    }
    return 1;
}
