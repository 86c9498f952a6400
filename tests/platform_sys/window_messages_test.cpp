// Registered messages, message-only windows and their posted-message queues.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "atlstr.h"

namespace {

HWND NewWindow() {
    return CreateWindowExW(0, u"STATIC", u"test", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

// A message-only window destroyed with the test.
struct Window {
    HWND hwnd = NewWindow();
    ~Window() { DestroyWindow(hwnd); }
};

std::vector<UINT> DrainMessages(HWND hwnd, UINT filterMin = 0, UINT filterMax = 0) {
    std::vector<UINT> out;
    MSG msg;
    while (PeekMessageW(&msg, hwnd, filterMin, filterMax, PM_REMOVE)) out.push_back(msg.message);
    return out;
}

TEST(RegisterWindowMessage, OneIdPerNameIgnoringCase) {
    UINT progress = RegisterWindowMessageW(u"ProgressIntMessage");
    UINT error = RegisterWindowMessageW(u"ErrorStrMessage");
    EXPECT_GE(progress, 0xC000u);
    EXPECT_LE(progress, 0xFFFFu);
    EXPECT_GE(error, 0xC000u);
    EXPECT_NE(progress, error);
    EXPECT_EQ(RegisterWindowMessageW(u"PROGRESSINTMESSAGE"), progress);
    EXPECT_EQ(RegisterWindowMessageW(u"progressintmessage"), progress);

    std::vector<UINT> fromThreads(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < fromThreads.size(); ++i)
        threads.emplace_back([&, i] { fromThreads[i] = RegisterWindowMessageW(u"ThreadedMessage"); });
    for (auto& t : threads) t.join();
    for (UINT id : fromThreads) EXPECT_EQ(id, fromThreads[0]);

    EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
    EXPECT_EQ(RegisterWindowMessageW(nullptr), 0u);
    EXPECT_EQ(RegisterWindowMessageW(CString(u'x', 256)), 0u);
}

TEST(MessageQueue, OrderFiltersAndRemoval) {
    Window a, b;
    ASSERT_TRUE(IsWindow(a.hwnd));
    ASSERT_NE(a.hwnd, b.hwnd);
    EXPECT_TRUE(PostMessageW(a.hwnd, WM_USER + 1, 11, -1));
    EXPECT_TRUE(PostMessageW(b.hwnd, WM_USER + 2, 0, 0));
    EXPECT_TRUE(PostMessageW(a.hwnd, WM_USER + 3, 0, 0));
    EXPECT_TRUE(PostMessageW(b.hwnd, 0xC123, 0, 0));

    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, a.hwnd);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(msg.wParam, 11u);
    EXPECT_EQ(msg.lParam, -1);

    // Range filter over all windows, then a window filter, then the rest in post order.
    EXPECT_EQ(DrainMessages(nullptr, 0xC000, 0xFFFF), std::vector<UINT>({0xC123}));
    EXPECT_EQ(DrainMessages(b.hwnd), std::vector<UINT>({WM_USER + 2}));
    EXPECT_EQ(DrainMessages(nullptr), std::vector<UINT>({WM_USER + 1, WM_USER + 3}));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, FullQueueRefusesPosts) {
    Window w;
    for (int i = 0; i < 10000; ++i) ASSERT_TRUE(PostMessageW(w.hwnd, WM_USER, i, 0)) << i;
    EXPECT_FALSE(PostMessageW(w.hwnd, WM_USER, 10000, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_QUOTA));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, w.hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_TRUE(PostMessageW(w.hwnd, WM_USER, 10000, 0));
    EXPECT_EQ(DrainMessages(w.hwnd).size(), 10000u);
}

TEST(MessageQueue, DestroyedWindowRefusesEverything) {
    HWND hwnd = NewWindow();
    ASSERT_TRUE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(GetMessageW(&msg, hwnd, 0, 0), -1);
    EXPECT_FALSE(DestroyWindow(hwnd));
    // A new window does not take over the old handle or its messages.
    Window next;
    EXPECT_NE(next.hwnd, hwnd);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
    EXPECT_FALSE(PostMessageW(nullptr, WM_USER, 0, 0));
}

TEST(MessageQueue, GetMessageWaitsAndEndsAtQuit) {
    Window w;
    const int kPerThread = 500;
    std::vector<std::thread> posters;
    for (int t = 0; t < 3; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) PostMessageW(w.hwnd, WM_USER + t, i, 0);
        });
    std::vector<int> next(3, 0);
    MSG msg;
    int received = 0;
    while (received < 3 * kPerThread && GetMessageW(&msg, w.hwnd, 0, 0) > 0) {
        int t = static_cast<int>(msg.message - WM_USER);
        ASSERT_GE(t, 0);
        ASSERT_LT(t, 3);
        EXPECT_EQ(msg.wParam, static_cast<WPARAM>(next[t]++));  // each poster's order is kept
        ++received;
    }
    for (auto& p : posters) p.join();
    EXPECT_EQ(received, 3 * kPerThread);

    std::thread quitter([&] { PostMessageW(w.hwnd, WM_QUIT, 0, 0); });
    EXPECT_EQ(GetMessageW(&msg, w.hwnd, WM_USER, WM_USER), 0);  // WM_QUIT passes any range filter
    quitter.join();
}

}  // namespace
