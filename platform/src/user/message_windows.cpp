// Message-only windows and their posted-message queues. Window handles are
// numbers that are never reused; every call looks the window up in the table
// of live windows, so a destroyed or made-up handle is refused safely.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>

#include "windows.h"

namespace {

constexpr size_t kQueueLimit = 10000;  // posts pending per window, as on Windows

struct QueuedMessage {
    unsigned long long order;
    MSG msg;
};
typedef std::deque<QueuedMessage> Queue;

struct WindowTable {
    std::mutex lock;
    std::condition_variable posted;  // a message arrived or a window went away
    std::unordered_map<HWND, Queue> windows;
    uintptr_t nextHandle = 0x10010;
    unsigned long long nextOrder = 0;
};

WindowTable& Table() {
    static WindowTable* table = new WindowTable;  // never destroyed: usable until exit
    return *table;
}

DWORD TickCount() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
    if (filterMin == 0 && filterMax == 0) return true;
    return message == WM_QUIT || (message >= filterMin && message <= filterMax);
}

// The oldest message matching the filters, in one window or (hwnd null) in
// all of them. Caller holds the table lock.
bool FindOldest(WindowTable& table, HWND hwnd, UINT filterMin, UINT filterMax, Queue** queue, Queue::iterator* at) {
    bool found = false;
    auto scan = [&](Queue& q) {
        for (auto it = q.begin(); it != q.end(); ++it) {
            if (!InRange(it->msg.message, filterMin, filterMax)) continue;
            if (!found || it->order < (*at)->order) {
                *queue = &q;
                *at = it;
                found = true;
            }
            return;
        }
    };
    if (hwnd) {
        scan(table.windows.at(hwnd));
    } else {
        for (auto& window : table.windows) scan(window.second);
    }
    return found;
}

}  // namespace

HWND CreateWindowExW(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) {
    try {
        WindowTable& table = Table();
        std::lock_guard<std::mutex> guard(table.lock);
        HWND hwnd = reinterpret_cast<HWND>(table.nextHandle);
        table.nextHandle += 4;
        table.windows.emplace(hwnd, Queue());
        return hwnd;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL DestroyWindow(HWND hWnd) {
    WindowTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    if (table.windows.erase(hWnd) == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    table.posted.notify_all();
    return TRUE;
}

BOOL IsWindow(HWND hWnd) {
    WindowTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    return table.windows.count(hWnd) ? TRUE : FALSE;
}

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    try {
        WindowTable& table = Table();
        std::lock_guard<std::mutex> guard(table.lock);
        auto window = table.windows.find(hWnd);
        if (window == table.windows.end()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (window->second.size() >= kQueueLimit) {
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return FALSE;
        }
        MSG msg{hWnd, Msg, wParam, lParam, TickCount(), POINT{0, 0}};
        window->second.push_back(QueuedMessage{table.nextOrder++, msg});
        table.posted.notify_all();
        return TRUE;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
}

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    if (hWnd && !table.windows.count(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Queue* queue = nullptr;
    Queue::iterator at;
    if (!FindOldest(table, hWnd, wMsgFilterMin, wMsgFilterMax, &queue, &at)) return FALSE;
    *lpMsg = at->msg;
    if (wRemoveMsg & PM_REMOVE) queue->erase(at);
    return TRUE;
}

BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    WindowTable& table = Table();
    std::unique_lock<std::mutex> guard(table.lock);
    for (;;) {
        if (hWnd && !table.windows.count(hWnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return -1;
        }
        Queue* queue = nullptr;
        Queue::iterator at;
        if (FindOldest(table, hWnd, wMsgFilterMin, wMsgFilterMax, &queue, &at)) {
            *lpMsg = at->msg;
            queue->erase(at);
            return lpMsg->message == WM_QUIT ? FALSE : TRUE;
        }
        table.posted.wait(guard);
    }
}
