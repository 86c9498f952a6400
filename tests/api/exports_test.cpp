// The module as a host sees it: exactly twelve plain exports, setters that
// always succeed.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "run_command.h"
#include "testhost.h"

using namespace qxtest;

namespace {

std::set<std::string> DefinedDynamicSymbols(const std::string& library) {
    std::set<std::string> names;
    int status = -1;
    std::istringstream lines(RunCommand("nm -D --defined-only '" + library + "'", &status));
    EXPECT_EQ(0, status) << "nm failed on " << library;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) names.insert(name);
    }
    return names;
}

TEST(Exports, ExactlyTheTwelveEntryPointsAreVisible) {
    const std::set<std::string> expected = {
        "SetDebugLogFileName", "SetRestoreRootName", "SetExclusionFileList",
        "ScanFileArraySizeByPredefinedType", "GetFileArrayByPredefinedType", "GetFileArrayByUserSelection",
        "Backup", "BackupRaw", "Restore", "IsDataValid", "GetCategoriesFromSerializationData", "DeleteFolder"};
    EXPECT_EQ(DefinedDynamicSymbols(QXFM_MODULE_PATH), expected);
}

TEST(Exports, SettersAlwaysReturnOne) {
    Module module;
    ASSERT_TRUE(module.SetDebugLogFileName && module.SetRestoreRootName && module.SetExclusionFileList);
    std::vector<CString> exclusions = {u"C:\\pagefile.sys"};
    EXPECT_EQ(module.SetDebugLogFileName(u"C:\\logs\\Dbg.log"), 1);
    EXPECT_EQ(module.SetRestoreRootName(u"Restored"), 1);
    EXPECT_EQ(module.SetExclusionFileList(&exclusions), 1);
    EXPECT_EQ(module.SetExclusionFileList(nullptr), 1);
}

// An export that runs no operation writes its log entries where the setting
// and the current folder say when it runs, not into the file of an earlier call.
TEST(Exports, LogEntriesOutsideAnOperationGoToTheLogNamedAtTheTime) {
    TestDrives drives;
    Module module;
    const char* refusal = "MSG_ERROR_DELETE_FOLDER_DANGEROUS";
    ASSERT_EQ(1, module.DeleteFolder(u"C:\\"));
    const std::string first = drives.WorkDir() + "/Dbg.log";
    EXPECT_NE(std::string::npos, ReadHostFile(first).find(refusal));

    CreateDirectoryW(u"C:\\logs", nullptr);
    module.SetDebugLogFileName(u"C:\\logs\\Second.log");
    ASSERT_EQ(1, module.DeleteFolder(u"D:\\"));
    EXPECT_NE(std::string::npos, ReadHostFile(drives.Host(u"C:\\logs\\Second.log")).find("path: D:\\ "));
    EXPECT_EQ(std::string::npos, ReadHostFile(first).find("path: D:\\ "));

    module.SetDebugLogFileName(u"Dbg.log");
    std::filesystem::remove(first);
    ASSERT_EQ(1, module.DeleteFolder(u"E:\\"));
    EXPECT_NE(std::string::npos, ReadHostFile(first).find("path: E:\\ "));
}

TEST(Exports, NothingToHandOverBeforeAnyScan) {
    Module module;
    ASSERT_TRUE(module.GetFileArrayByPredefinedType);
    std::vector<CString> list;
    ULONGLONG total = 123;
    EXPECT_EQ(module.GetFileArrayByPredefinedType(&list, &total), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(total, 0u);
}

}  // namespace
