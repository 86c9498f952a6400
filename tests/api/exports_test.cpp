// The module as a host sees it: exactly twelve plain exports, setters that
// always succeed.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

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
