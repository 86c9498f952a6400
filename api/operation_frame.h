// The frame the four long operations (scan, backup, raw backup, restore) run
// in: the host's window and continue callback, the operation kind, the debug
// log, the operation lock, the start notification, and the report of an
// exception that ends the work.
#pragma once

#include "services/operation_lock.h"
#include "services/state.h"

class OperationFrame {
public:
    OperationFrame(OperationKind kind, HWND* hostWindow, ContinueCallback continueCallback)
        : m_kind(kind), m_hostWindow(hostWindow), m_continue(continueCallback) {}
    OperationFrame(const OperationFrame&) = delete;
    OperationFrame& operator=(const OperationFrame&) = delete;
    // Closes the debug log where the frame opened it, then releases the lock.
    ~OperationFrame();

    // Stores the host's window (a restore's only with the lock) and opens the
    // debug log for the operation, so that its lines (one per file copied by
    // a raw backup) do not each open the file. A frame opened while an
    // operation of this process runs leaves the log to that operation.
    void Open();
    // Takes the operation lock. False when another operation runs: the refusal
    // (-229) goes to this caller's window, a restore's to the window stored
    // before; an operation running in this process keeps its own.
    bool Lock();
    // Stores the continue callback and the operation kind, logs and posts the start.
    void Start();

    // Runs a step of the operation. An exception that leaves it closes the
    // debug log, posts the thread's last system error code and makes the result false.
    template <class Step>
    bool Guard(Step&& step) {
        try {
            return step();
        } catch (...) {
            ReportException();
            return false;
        }
    }

private:
    void ReportException();
    void CloseOwnDbgLog();

    OperationKind m_kind;
    HWND* m_hostWindow;
    ContinueCallback m_continue;
    bool m_holdsDbgLog = false;
    OperationLock m_lock;
};

// Runs body(frame) in a frame opened for the operation: 0 when it returned
// true, 1 when it returned false or threw. No exception leaves it.
template <class Body>
int RunOperation(OperationKind kind, HWND* hostWindow, ContinueCallback continueCallback, Body&& body) {
    OperationFrame frame(kind, hostWindow, continueCallback);
    const bool done = frame.Guard([&] {
        frame.Open();
        return body(frame);
    });
    return done ? 0 : 1;
}
