// The frame of the four long operations: a second operation started while one
// runs is refused towards its own host (a restore towards the window stored
// before it, which it leaves as it was), and the running one goes on as before.
#include <gtest/gtest.h>

#include <algorithm>

#include "testhost.h"

using namespace qxtest;

namespace {

// A scan of the first host, during which a second host asks for operations
// from inside the scan's continue callback (asked once, on its first call).
class NestedOperations : public ::testing::Test {
protected:
    NestedOperations() {
        drives.Write(u"C:\\docs\\a.doc", "a");
        WriteHostFile(drives.WorkDir() + "/types.txt", "[Documents]\r\ndoc\r\n");
        running = this;
    }
    ~NestedOperations() override { running = nullptr; }

    // The first host's scan of C:\docs; the second host's asks run in its callback.
    void Scan(ContinueCallback secondHostAsks) {
        ULONGLONG count = 0;
        EXPECT_EQ(0, module.ScanFileArraySizeByPredefinedType(first.handle(), drives.Path(u"C:\\docs"), u"types.txt",
                                                              &categories, &count, secondHostAsks));
        EXPECT_EQ(1u, count);
    }

    int SecondHostBackup() {
        std::vector<CString> images;
        return module.Backup(second.handle(), &files, u"types.txt", &categories, drives.Path(u"D:\\Backups"),
                             u"Image", FALSE, 0, 0, &images, nullptr);
    }

    static int CALLBACK AskForEveryOperation(int*) {
        NestedOperations& t = *running;
        if (!t.results.empty()) return 1;
        ULONGLONG count = 0;
        t.results.push_back(t.module.ScanFileArraySizeByPredefinedType(
            t.second.handle(), t.drives.Path(u"C:\\docs"), u"types.txt", &t.categories, &count, nullptr));
        t.results.push_back(t.SecondHostBackup());
        t.results.push_back(t.module.BackupRaw(t.second.handle(), &t.files, t.drives.Path(u"D:\\Raw"), nullptr));
        t.results.push_back(t.module.Restore(t.second.handle(), t.drives.Path(u"D:\\Backups"), &t.categories,
                                             t.drives.Path(u"C:\\Restore"), nullptr));
        return 1;
    }

    // A backup asked for once; the debug log's attributes are looked at right after the refusal.
    static int CALLBACK AskForBackupOnce(int*) {
        NestedOperations& t = *running;
        if (!t.results.empty()) return 1;
        t.results.push_back(t.SecondHostBackup());
        t.logAttributesAfterRefusal = GetFileAttributesW(u"Dbg.log");
        return 1;
    }

    static NestedOperations* running;
    TestDrives drives{{"C", "D"}};
    Module module;
    HostWindow first, second;
    std::vector<CString> files = {drives.Path(u"C:\\docs\\a.doc")};
    std::vector<CString> categories = {u"Documents"};
    std::vector<int> results;
    DWORD logAttributesAfterRefusal = 0;
};

NestedOperations* NestedOperations::running = nullptr;

TEST_F(NestedOperations, AnOperationRefusedWhileAnotherRunsIsReportedToItsOwnHostAlone) {
    Scan(AskForEveryOperation);

    // Scan, backup and raw backup were each refused towards the second host;
    // the restore, which stores its window only with the lock, towards the
    // window stored: the scan's.
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1, 1}));
    const std::vector<Posted> refused = second.Drain();
    EXPECT_EQ(Codes(refused, second.errorStr), std::vector<long long>(3, MSG_ERROR_OPERATION_CONFLICT));
    EXPECT_TRUE(Codes(refused, second.operationStr).empty());
    EXPECT_FALSE(HostExists(drives.Root('D') + "/Backups"));
    EXPECT_FALSE(HostExists(drives.Root('D') + "/Raw"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/Restore"));

    // The scan told its own host everything, from start to end, and of the refusals only the restore's.
    const std::vector<Posted> scan = first.Drain();
    EXPECT_EQ(Codes(scan, first.errorStr), std::vector<long long>{MSG_ERROR_OPERATION_CONFLICT});
    const std::vector<long long> operations = Codes(scan, first.operationStr);
    ASSERT_FALSE(operations.empty());
    EXPECT_EQ(operations.front(), MSG_OPERATION_AUTO_SELECTION_START);
    EXPECT_EQ(operations.back(), MSG_OPERATION_AUTO_SELECTION_END);
    EXPECT_TRUE(HasCode(scan, first.progressInt, 100));

    // The lock went with the scan: the second host's restore now runs.
    EXPECT_EQ(1, module.Restore(second.handle(), drives.Path(u"D:\\Backups"), &categories,
                                drives.Path(u"C:\\Restore"), nullptr));
    EXPECT_TRUE(HasCode(second.Drain(), second.operationStr, MSG_OPERATION_RESTORE_START));
    EXPECT_TRUE(first.Drain().empty());
}

TEST_F(NestedOperations, ARefusedOperationLeavesTheDebugLogToTheRunningOne) {
    constexpr DWORD kReadOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    Scan(AskForBackupOnce);
    EXPECT_EQ(results, std::vector<int>{1});
    EXPECT_EQ(Codes(second.Drain(), second.errorStr), std::vector<long long>{MSG_ERROR_OPERATION_CONFLICT});
    EXPECT_TRUE(Codes(first.Drain(), first.errorStr).empty());

    // The scan still held its log open after the refusal ...
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, logAttributesAfterRefusal);
    EXPECT_EQ(0u, logAttributesAfterRefusal & kReadOnlyHidden);
    // ... wrote its later lines into it, and closed it at its end.
    const std::vector<std::string> log = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    const auto refusal = std::find(log.begin(), log.end(), "MSG_ERROR_OPERATION_CONFLICT - Other operation has been start!");
    ASSERT_NE(log.end(), refusal);
    EXPECT_NE(log.end(), std::find(refusal, log.end(), "You completed the selection!"));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ("MSG_OPERATION_AUTO_SELECTION_END - Auto selection end!", log.back());
    EXPECT_EQ(kReadOnlyHidden, GetFileAttributesW(u"Dbg.log") & kReadOnlyHidden);
}

}  // namespace
