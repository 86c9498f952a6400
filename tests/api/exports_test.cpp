// The module as a host sees it: the twelve plain exports and the choice of
// the host protocol, setters that always succeed.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "testhost.h"

using namespace qxtest;

namespace {

TEST(Exports, ExactlyTheTwelveEntryPointsAndTheProtocolChoiceAreVisible) {
    const std::set<std::string> expected = {
        "SetDebugLogFileName", "SetRestoreRootName", "SetExclusionFileList",
        "ScanFileArraySizeByPredefinedType", "GetFileArrayByPredefinedType", "GetFileArrayByUserSelection",
        "Backup", "BackupRaw", "Restore", "IsDataValid", "GetCategoriesFromSerializationData", "DeleteFolder",
        "SetHostProtocol"};
    EXPECT_EQ(Module().ExportedNames(), expected);
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

TEST(Exports, OnlyTheTwoHostProtocolsAreSpoken) {
    TestDrives drives;
    Module module;
    EXPECT_EQ(0, module.SetHostProtocol(QXFM_PROTOCOL_EXTENDED));
    EXPECT_EQ(0, module.SetHostProtocol(QXFM_PROTOCOL_DOCUMENTED));
    EXPECT_EQ(1, module.SetHostProtocol(3));
    EXPECT_EQ(1, module.SetHostProtocol(0));
    EXPECT_NE(std::string::npos, ReadHostFile(drives.WorkDir() + "/Dbg.log").find("there is no host protocol 3"));
}

// An export that runs no operation writes its log entries where the setting
// and the current folder say when it runs, not into the file of an earlier call.
TEST(Exports, LogEntriesOutsideAnOperationGoToTheLogNamedAtTheTime) {
    TestDrives drives;
    Module module;
    // Drive roots are refused before anything is touched, so real ones serve.
    const char* refusal = "MSG_ERROR_DELETE_FOLDER_DANGEROUS";
    ASSERT_EQ(1, module.DeleteFolder(u"C:\\"));
    const std::string first = drives.WorkDir() + "/Dbg.log";
    EXPECT_NE(std::string::npos, ReadHostFile(first).find(refusal));

    CreateDirectoryW(drives.Path(u"C:\\logs"), nullptr);
    module.SetDebugLogFileName(drives.Path(u"C:\\logs\\Second.log"));
    ASSERT_EQ(1, module.DeleteFolder(u"D:\\"));
    EXPECT_NE(std::string::npos, ReadHostFile(drives.Host(u"C:\\logs\\Second.log")).find("path: D:\\ "));
    EXPECT_EQ(std::string::npos, ReadHostFile(first).find("path: D:\\ "));

    module.SetDebugLogFileName(u"Dbg.log");
    SetFileAttributesW(u"Dbg.log", FILE_ATTRIBUTE_NORMAL);  // the module leaves it read-only
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
