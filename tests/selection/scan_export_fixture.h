// The scan export called through the loaded module, with a type list on C:.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testhost.h"

namespace qxtest {

using Names = std::vector<CString>;

const char kTypeList[] = "[Documents]\r\ndoc, docx, txt\r\n[Pictures]\r\njpg,jpeg,png\r\ntif*\r\n[Music]\r\nmp3\r\n";

class ScanExportTest : public ::testing::Test {
protected:
    explicit ScanExportTest(std::vector<std::string> table = {"C"}) : drives(table) {
        drives.Write(u"C:\\lists\\types.txt", kTypeList);
    }

    int Scan(const CString& path, Names& categories, ContinueCallback callback = nullptr, HWND* window = nullptr) {
        count = 12345;
        return module.ScanFileArraySizeByPredefinedType(window ? window : host.handle(), path,
                                                        drives.Path(u"C:\\lists\\types.txt"), &categories, &count,
                                                        callback);
    }
    // Fetches the last result as a host does: capacity for the count, then the hand-over.
    Names Fetch() {
        Names files;
        files.reserve(static_cast<size_t>(count));
        EXPECT_EQ(0, module.GetFileArrayByPredefinedType(&files, &total));
        return files;
    }
    std::vector<std::string> Log() const { return ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log"); }
    bool Logged(const std::string& line) const {
        auto log = Log();
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    std::string Work(const std::string& rel) const { return drives.WorkDir() + "/" + rel; }

    TestDrives drives;
    HostWindow host;
    Module module;
    ULONGLONG count = 0;
    ULONGLONG total = 0;
};

}  // namespace qxtest
