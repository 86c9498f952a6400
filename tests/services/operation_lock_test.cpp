// The operation lock within one process and across processes, and the
// refusal of a scan while another process holds it.
#include <gtest/gtest.h>

#include "services/dbglog.h"
#include "services/operation_lock.h"
#include "testhost.h"

using namespace qxtest;

namespace {

constexpr DWORD kReadOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

TEST(OperationLock, SecondHolderIsRefusedUntilTheFirstReleases) {
    OperationLock first;
    ASSERT_TRUE(first.Acquire());
    {
        OperationLock second;
        EXPECT_FALSE(second.Acquire());
    }
    // The refused attempt did not take the object away from the holder.
    OperationLock third;
    EXPECT_FALSE(third.Acquire());

    first.Release();
    first.Release();
    EXPECT_TRUE(third.Acquire());
}

TEST(OperationLock, ReleasedAtDestruction) {
    {
        OperationLock lock;
        ASSERT_TRUE(lock.Acquire());
    }
    OperationLock again;
    EXPECT_TRUE(again.Acquire());
}

TEST(OperationLock, AnotherProcessHoldingItRefusesThisOne) {
    OtherProcessLock other;
    ASSERT_TRUE(other.holding());
    OperationLock lock;
    EXPECT_FALSE(lock.Acquire());
    other.Stop();
    EXPECT_TRUE(lock.Acquire());

    // And the other way round.
    OtherProcessLock refused;
    EXPECT_FALSE(refused.holding());
}

TEST(OperationLock, ConflictIsLoggedAndPosted) {
    TestDrives drives;
    HostWindow host;
    g_strDebugLogFile = u"Dbg.log";
    g_pHostWnd = host.handle();
    OpenDbgLogForOperation();
    ReportOperationRefused(true);
    g_pHostWnd = nullptr;

    const std::vector<Posted> posted = host.Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, host.errorStr);
    EXPECT_EQ(posted[0].wParam, MSG_ERROR_OPERATION_CONFLICT);
    EXPECT_EQ(posted[0].lParam, 0);
    EXPECT_EQ(ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log"),
              std::vector<std::string>{"MSG_ERROR_OPERATION_CONFLICT - Other operation has been start!"});
    EXPECT_EQ(GetFileAttributesW(u"Dbg.log") & kReadOnlyHidden, kReadOnlyHidden);
}

class ScanConflictTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!module.ScanFileArraySizeByPredefinedType) GTEST_SKIP() << "the scan export is not built yet";
        WriteHostFile(drives.WorkDir() + "/types.txt", "[Documents]\r\ndoc\r\n");
    }
    int Scan(HWND* window, std::vector<CString>* categories) {
        ULONGLONG count = 99;
        return module.ScanFileArraySizeByPredefinedType(window, u"", u"types.txt", categories, &count, nullptr);
    }

    TestDrives drives;
    HostWindow host;
    Module module;
};

TEST_F(ScanConflictTest, ScanRefusedWhileAnotherProcessHoldsTheLock) {
    OtherProcessLock other;
    ASSERT_TRUE(other.holding());
    std::vector<CString> categories;
    EXPECT_EQ(Scan(host.handle(), &categories), 1);
    EXPECT_TRUE(categories.empty());

    const std::vector<Posted> posted = host.Drain();
    EXPECT_EQ(Codes(posted, host.errorStr), std::vector<long long>{MSG_ERROR_OPERATION_CONFLICT});
    EXPECT_TRUE(Codes(posted, host.operationStr).empty());
    const std::vector<std::string> messages = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "MSG_ERROR_OPERATION_CONFLICT - Other operation has been start!");
    EXPECT_EQ(GetFileAttributesW(u"Dbg.log") & kReadOnlyHidden, kReadOnlyHidden);

    // The holder is unaffected, and a null window hears nothing.
    OperationLock mine;
    EXPECT_FALSE(mine.Acquire());
    EXPECT_EQ(Scan(nullptr, &categories), 1);
    EXPECT_TRUE(host.Drain().empty());

    // Once the other process lets go the same call goes through.
    other.Stop();
    EXPECT_EQ(Scan(host.handle(), &categories), 0);
    EXPECT_EQ(categories, std::vector<CString>{u"DOCUMENTS"});
    EXPECT_TRUE(Codes(host.Drain(), host.errorStr).empty());
    EXPECT_TRUE(mine.Acquire());
}

}  // namespace
