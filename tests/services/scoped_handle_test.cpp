// The handle owners: each handle is closed exactly once, whoever ends up
// holding it, and closing keeps the last error of the failed call before it.
#include <gtest/gtest.h>

#include <vector>

#include "services/scoped_handle.h"

namespace {

std::vector<int> g_closed;

struct CountedTraits {
    using Handle = int;
    static Handle Invalid() { return -1; }
    static bool Close(Handle handle) {
        g_closed.push_back(handle);
        SetLastError(ERROR_INVALID_HANDLE);
        return handle != 13;  // 13 fails to close
    }
};
using Counted = ScopedHandle<CountedTraits>;

class ScopedHandleTest : public testing::Test {
protected:
    void SetUp() override { g_closed.clear(); }
};

TEST_F(ScopedHandleTest, ClosesOnceAfterMovesAndNotAfterRelease) {
    {
        Counted first(1);
        Counted second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_TRUE(second);
        Counted third(2);
        third = std::move(second);  // 2 closed, 1 taken over
        EXPECT_EQ(third.get(), 1);
        EXPECT_EQ(g_closed, std::vector<int>{2});
        Counted kept(3);
        EXPECT_EQ(kept.release(), 3);
        EXPECT_FALSE(kept);
    }
    EXPECT_EQ(g_closed, (std::vector<int>{2, 1}));
}

TEST_F(ScopedHandleTest, ResetKeepsTheLastErrorAndCloseReportsTheResult) {
    Counted handle(4);
    SetLastError(ERROR_SHARING_VIOLATION);
    handle.reset(13);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(handle.close());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(handle.close());  // nothing held any more
    *handle.put() = 5;
    EXPECT_EQ(handle.get(), 5);
    EXPECT_EQ(g_closed, (std::vector<int>{4, 13}));
}

TEST(ScopedHandle, OwnsKernelAndFindHandles) {
    ScopedFileHandle missing(CreateFileW(u"Q:\\no such folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(missing);
    ScopedKernelObject mutex(CreateMutexW(nullptr, FALSE, nullptr));
    EXPECT_TRUE(mutex);
    EXPECT_TRUE(mutex.close());
    EXPECT_FALSE(mutex);
}

}  // namespace
