// The fixture of the qxfm tests: drives C: and D: of a temporary tree, and qxfm
// run on them from a work folder of its own.
#pragma once

#include <gtest/gtest.h>

#include "run_command.h"
#include "sample_tree.h"
#include "testhost.h"
#include "tool_runner.h"

namespace qxfmtest {

class QxfmTool : public ::testing::Test {
protected:
    QxfmTool() : drives({"C", "D"}) {
        options.cwd = drives.WorkDir();
        options.drives = "C=" + drives.Root('C') + ",fixed,active;D=" + drives.Root('D') + ",fixed";
    }
    ToolRun Run(const std::vector<std::string>& args) { return RunTool(args, options); }
    // Host paths of the files below a drive folder whose names end in suffix.
    std::vector<std::string> Below(const CString& winFolder, const std::string& suffix = "") {
        return qxtest::FilesBelow(drives.Host(winFolder), suffix);
    }

    qxtest::TestDrives drives;
    ToolOptions options;
};

}  // namespace qxfmtest
