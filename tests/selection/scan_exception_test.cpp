// A host callback that throws during the scan, through the loaded module.
#include <stdexcept>

#include "scan_export_fixture.h"

using namespace qxtest;

namespace {

// A host callback that fails with a system error and throws: the scan ends
// and the host is told that error, not one left by the scan's own clean-up.
int CALLBACK FailWithDiskFull(int*) {
    SetLastError(ERROR_DISK_FULL);
    throw std::runtime_error("host failure");
}

TEST_F(ScanExportTest, AnExceptionReportsItsOwnSystemError) {
    drives.Write(u"C:\\c\\a.doc", "x");
    Names categories{u"documents"};
    EXPECT_EQ(1, Scan(drives.Path(u"C:\\c"), categories, FailWithDiskFull));
    EXPECT_EQ((std::vector<long long>{ERROR_DISK_FULL}), Codes(host.Drain(), host.errorStr));
    EXPECT_EQ(0, Scan(drives.Path(u"C:\\c"), categories));  // the lock was released
}

}  // namespace
