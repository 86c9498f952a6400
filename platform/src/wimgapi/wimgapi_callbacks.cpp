#include "wimgapi_callbacks.h"

#include <mutex>
#include <vector>

#include "wimgapi_objects.h"

namespace {

// A callback registered twice for the same scope is kept once and counted,
// so overlapping registrations never deliver a message twice.
struct Registration {
    HANDLE scope;  // null: every call of the process
    FARPROC_WIM_CALLBACK proc;
    PVOID userData;
    int count;
};

std::mutex g_registrationsLock;
std::vector<Registration> g_registrations;

}  // namespace

DWORD WIMRegisterMessageCallback(HANDLE hWim, FARPROC_WIM_CALLBACK fpMessageProc, PVOID pvUserData) {
    if (!fpMessageProc || (hWim && !LookupWimFile(hWim))) {
        if (!fpMessageProc) SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_CALLBACK_VALUE;
    }
    try {
        std::lock_guard<std::mutex> lock(g_registrationsLock);
        for (size_t i = 0; i < g_registrations.size(); ++i) {
            Registration& r = g_registrations[i];
            if (r.scope == hWim && r.proc == fpMessageProc) {
                r.userData = pvUserData;
                ++r.count;
                return static_cast<DWORD>(i);
            }
        }
        g_registrations.push_back({hWim, fpMessageProc, pvUserData, 1});
        return static_cast<DWORD>(g_registrations.size() - 1);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_CALLBACK_VALUE;
    }
}

BOOL WIMUnregisterMessageCallback(HANDLE hWim, FARPROC_WIM_CALLBACK fpMessageProc) {
    std::lock_guard<std::mutex> lock(g_registrationsLock);
    bool found = false;
    for (auto it = g_registrations.begin(); it != g_registrations.end();) {
        if (it->scope == hWim && (!fpMessageProc || it->proc == fpMessageProc)) {
            found = true;
            if (fpMessageProc && --it->count > 0) {
                ++it;
                continue;
            }
            it = g_registrations.erase(it);
        } else {
            ++it;
        }
    }
    if (!found) SetLastError(ERROR_INVALID_PARAMETER);
    return found ? TRUE : FALSE;
}

DWORD SendWimMessage(HANDLE fileHandle, DWORD messageId, WPARAM wParam, LPARAM lParam) {
    std::vector<Registration> targets;
    {
        std::lock_guard<std::mutex> lock(g_registrationsLock);
        for (const Registration& r : g_registrations)
            if (r.scope == fileHandle || !r.scope) targets.push_back(r);
    }
    DWORD result = WIM_MSG_SUCCESS;
    for (const Registration& r : targets) {
        DWORD answer;
        try {
            answer = r.proc(messageId, wParam, lParam, r.userData);
        } catch (...) {
            answer = WIM_MSG_ABORT_IMAGE;
        }
        if (answer == WIM_MSG_ABORT_IMAGE) result = WIM_MSG_ABORT_IMAGE;
        else if (answer == WIM_MSG_SKIP_ERROR && result == WIM_MSG_SUCCESS) result = WIM_MSG_SKIP_ERROR;
    }
    return result;
}

void ForgetWimCallbacks(HANDLE fileHandle) {
    if (!fileHandle) return;
    std::lock_guard<std::mutex> lock(g_registrationsLock);
    for (auto it = g_registrations.begin(); it != g_registrations.end();)
        it = it->scope == fileHandle ? g_registrations.erase(it) : it + 1;
}
