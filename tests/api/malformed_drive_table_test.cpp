// A malformed QXFM_DRIVES: every export that works on files refuses, names the
// fault in the debug log and touches nothing, although the host's own mounts
// would have given it a C: drive.
#include <gtest/gtest.h>

#include <cstdlib>

#include "qxplatform.h"
#include "testhost.h"

using namespace qxtest;

namespace {

class MalformedDriveTable : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("QXFM_DRIVES", "C=/etc,fixed,actve", 1);
        QxSetDriveTable("");
        module.SetDebugLogFileName(u"Dbg.log");
        WriteHostFile(drives.WorkDir() + "/victim/keep.txt", "mine");
    }
    void TearDown() override {
        unsetenv("QXFM_DRIVES");
        QxSetDriveTable("");
    }
    // Each export's refusal: one debug-log line naming the entry, the system error posted, nothing else.
    void ExpectRefused(const char* what) {
        const std::vector<Posted> posted = host.Drain();
        ASSERT_EQ(posted.size(), 1u) << what;
        EXPECT_EQ(posted[0].message, host.errorStr) << what;
        EXPECT_EQ(posted[0].wParam, ERROR_BAD_CONFIGURATION) << what;
        const std::vector<std::string> messages = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
        ASSERT_FALSE(messages.empty()) << what;
        EXPECT_EQ(messages.back(),
                  "MSG_ERROR_NO_DRIVES - No drive to work on (error 1610): The drive table is malformed: QXFM_DRIVES "
                  "entry \"C=/etc,fixed,actve\": unknown kind or option \"actve\".")
            << what;
        EXPECT_EQ(ReadHostFile(drives.WorkDir() + "/victim/keep.txt"), "mine");
    }

    TestDrives drives;
    HostWindow host;
    Module module;
};

TEST_F(MalformedDriveTable, EveryOperationRefusesAndPostsNoWork) {
    std::vector<CString> categories = {u"Documents"};
    ULONGLONG count = 0;
    EXPECT_EQ(module.ScanFileArraySizeByPredefinedType(host.handle(), u"C:\\", u"types.txt", &categories, &count,
                                                       nullptr),
              1);
    ExpectRefused("scan");
    std::vector<CString> files = {u"victim\\keep.txt"};
    std::vector<CString> images;
    images.reserve(4);
    EXPECT_EQ(module.Backup(host.handle(), &files, u"types.txt", &categories, u"backup", u"b", FALSE, 0, 0, &images,
                            nullptr),
              1);
    ExpectRefused("backup");
    EXPECT_EQ(module.BackupRaw(host.handle(), &files, u"raw", nullptr), 1);
    ExpectRefused("raw backup");
    EXPECT_EQ(module.Restore(host.handle(), u"backup", &categories, u"restored", nullptr), 1);
    ExpectRefused("restore");
    EXPECT_EQ(module.DeleteFolder(u"victim"), 1);
    ExpectRefused("delete");
    EXPECT_EQ(module.IsDataValid(u"backup"), 1);
    ExpectRefused("validity check");
    std::vector<CString> stored;
    stored.reserve(4);
    EXPECT_EQ(module.GetCategoriesFromSerializationData(u"backup", &stored), 0);
    ExpectRefused("categories of a backup");
    EXPECT_FALSE(HostExists(drives.WorkDir() + "/backup"));
    EXPECT_FALSE(HostExists(drives.WorkDir() + "/raw"));
    EXPECT_FALSE(HostExists(drives.WorkDir() + "/restored"));
}

}  // namespace
