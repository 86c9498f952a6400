// DeleteFolder called through the loaded module, with the host window it posts to.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testhost.h"

namespace qxtest {

class DeleteFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // DeleteFolder stores no window of its own: it posts to the one an earlier call stored.
        module.GetFileArrayByUserSelection(host.handle(), u"");
        host.Drain();
    }
    std::vector<std::string> Log() { return ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log"); }
    std::string C(const std::string& rel) { return drives.Root('C') + "/" + rel; }

    TestDrives drives{{"C"}};
    HostWindow host;
    Module module;
};

}  // namespace qxtest
