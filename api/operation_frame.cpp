#include "api/operation_frame.h"

#include "services/dbglog.h"
#include "services/notify.h"

namespace {

// The frame that holds the lock in this process, while its operation runs.
const OperationFrame* g_runningFrame = nullptr;

int StartCode(OperationKind kind) {
    switch (kind) {
        case OP_AUTO_SELECTION: return MSG_OPERATION_AUTO_SELECTION_START;
        case OP_BACKUP: return MSG_OPERATION_BACKUP_START;
        case OP_BACKUPRAW: return MSG_OPERATION_BACKUPRAW_START;
        case OP_RESTORE: return MSG_OPERATION_RESTORE_START;
        default: return 0;
    }
}

}  // namespace

OperationFrame::~OperationFrame() {
    if (g_runningFrame == this) g_runningFrame = nullptr;
    CloseOwnDbgLog();
}

void OperationFrame::Open() {
    // A restore stores its window only with the lock: its refusal goes to
    // the window an earlier operation stored, which it leaves as it was.
    if (m_kind != OP_RESTORE) g_pHostWnd = m_hostWindow;
    m_holdsDbgLog = !g_runningFrame;
    if (m_holdsDbgLog) OpenDbgLogForOperation();
}

void OperationFrame::CloseOwnDbgLog() {
    if (m_holdsDbgLog) CloseDbgLog();
    m_holdsDbgLog = false;
}

bool OperationFrame::Lock() {
    if (m_lock.Acquire()) {
        g_runningFrame = this;
        g_pHostWnd = m_hostWindow;
        return true;
    }
    ReportOperationRefused(m_holdsDbgLog);
    m_holdsDbgLog = false;
    // Asked from inside the continue callback of an operation of this process:
    // that operation goes on, towards its own window.
    if (g_runningFrame) g_pHostWnd = g_runningFrame->m_hostWindow;
    return false;
}

void OperationFrame::Start() {
    g_pfnContinue = m_continue;
    g_nOperation = m_kind;
    DbgLog(u"%s", OperationText(StartCode(m_kind)));
    PostOperation(StartCode(m_kind));
}

// The code is taken first: closing the log overwrites it.
void OperationFrame::ReportException() {
    const DWORD cause = GetLastError();
    try {
        CloseOwnDbgLog();
        PostLastSystemError(cause);
    } catch (...) {
    }
}
