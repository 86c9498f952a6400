// The frame of the four long operations: a second operation started while one
// runs is refused towards its own host, and the running one goes on as before.
#include <gtest/gtest.h>

#include <algorithm>

#include "testhost.h"

using namespace qxtest;

namespace {

// A second host whose window asks for each of the four long operations while
// a scan of the first host is running (from inside the scan's continue callback).
struct SecondHost {
    static const TestDrives* drives;
    static Module* module;
    static HostWindow* window;
    static std::vector<int> results;

    static int CALLBACK AskForEveryOperation(int*) {
        if (!results.empty()) return 1;
        std::vector<CString> files = {drives->Path(u"C:\\docs\\a.doc")}, categories = {u"Documents"}, images;
        ULONGLONG count = 0;
        results.push_back(module->ScanFileArraySizeByPredefinedType(window->handle(), drives->Path(u"C:\\docs"),
                                                                    u"types.txt", &categories, &count, nullptr));
        results.push_back(module->Backup(window->handle(), &files, u"types.txt", &categories,
                                         drives->Path(u"D:\\Backups"), u"Image", FALSE, 0, 0, &images, nullptr));
        results.push_back(module->BackupRaw(window->handle(), &files, drives->Path(u"D:\\Raw"), nullptr));
        results.push_back(module->Restore(window->handle(), drives->Path(u"D:\\Backups"), &categories,
                                          drives->Path(u"C:\\Restore"), nullptr));
        return 1;
    }
};

const TestDrives* SecondHost::drives = nullptr;
Module* SecondHost::module = nullptr;
HostWindow* SecondHost::window = nullptr;
std::vector<int> SecondHost::results;

TEST(OperationFrame, AnOperationRefusedWhileAnotherRunsIsReportedToItsOwnHostAlone) {
    TestDrives drives{{"C", "D"}};
    Module module;
    HostWindow first, second;
    drives.Write(u"C:\\docs\\a.doc", "a");
    WriteHostFile(drives.WorkDir() + "/types.txt", "[Documents]\r\ndoc\r\n");
    SecondHost::drives = &drives;
    SecondHost::module = &module;
    SecondHost::window = &second;
    SecondHost::results.clear();

    std::vector<CString> categories = {u"Documents"};
    ULONGLONG count = 0;
    EXPECT_EQ(0, module.ScanFileArraySizeByPredefinedType(first.handle(), drives.Path(u"C:\\docs"), u"types.txt",
                                                          &categories, &count, SecondHost::AskForEveryOperation));
    EXPECT_EQ(1u, count);

    // Scan, backup, raw backup and restore were each refused, towards the second host.
    EXPECT_EQ(SecondHost::results, (std::vector<int>{1, 1, 1, 1}));
    const std::vector<Posted> refused = second.Drain();
    EXPECT_EQ(Codes(refused, second.errorStr), std::vector<long long>(4, MSG_ERROR_OPERATION_CONFLICT));
    EXPECT_TRUE(Codes(refused, second.operationStr).empty());
    EXPECT_FALSE(HostExists(drives.Root('D') + "/Backups"));
    EXPECT_FALSE(HostExists(drives.Root('D') + "/Raw"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/Restore"));

    // The scan told its own host everything, from start to end, and nothing of the refusals.
    const std::vector<Posted> scan = first.Drain();
    EXPECT_TRUE(Codes(scan, first.errorStr).empty());
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

// A host that asks for a backup from inside the continue callback of its
// running scan, and looks at the debug log right after the refusal.
struct NestedBackupHost {
    static const TestDrives* drives;
    static Module* module;
    static HostWindow* window;
    static int result;
    static DWORD logAttributesAfterRefusal;

    static int CALLBACK AskForBackupOnce(int*) {
        if (result != -1) return 1;
        std::vector<CString> files = {drives->Path(u"C:\\docs\\a.doc")}, categories = {u"Documents"}, images;
        result = module->Backup(window->handle(), &files, u"types.txt", &categories, drives->Path(u"D:\\Backups"),
                                u"Image", FALSE, 0, 0, &images, nullptr);
        logAttributesAfterRefusal = GetFileAttributesW(u"Dbg.log");
        return 1;
    }
};

const TestDrives* NestedBackupHost::drives = nullptr;
Module* NestedBackupHost::module = nullptr;
HostWindow* NestedBackupHost::window = nullptr;
int NestedBackupHost::result = -1;
DWORD NestedBackupHost::logAttributesAfterRefusal = 0;

TEST(OperationFrame, ARefusedOperationLeavesTheDebugLogToTheRunningOne) {
    constexpr DWORD kReadOnlyHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    TestDrives drives{{"C", "D"}};
    Module module;
    HostWindow first, second;
    drives.Write(u"C:\\docs\\a.doc", "a");
    WriteHostFile(drives.WorkDir() + "/types.txt", "[Documents]\r\ndoc\r\n");
    NestedBackupHost::drives = &drives;
    NestedBackupHost::module = &module;
    NestedBackupHost::window = &second;
    NestedBackupHost::result = -1;

    std::vector<CString> categories = {u"Documents"};
    ULONGLONG count = 0;
    EXPECT_EQ(0, module.ScanFileArraySizeByPredefinedType(first.handle(), drives.Path(u"C:\\docs"), u"types.txt",
                                                          &categories, &count, NestedBackupHost::AskForBackupOnce));
    EXPECT_EQ(1u, count);
    EXPECT_EQ(1, NestedBackupHost::result);
    EXPECT_EQ(Codes(second.Drain(), second.errorStr), std::vector<long long>{MSG_ERROR_OPERATION_CONFLICT});
    EXPECT_TRUE(Codes(first.Drain(), first.errorStr).empty());

    // The scan still held its log open after the refusal ...
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, NestedBackupHost::logAttributesAfterRefusal);
    EXPECT_EQ(0u, NestedBackupHost::logAttributesAfterRefusal & kReadOnlyHidden);
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
