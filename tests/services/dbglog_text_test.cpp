// The debug log keeps characters outside ASCII, as UTF-8. The log is a text
// stream opened without an encoding ("at"): the Linux runtime writes it in
// UTF-8, while the Windows runtime converts through the C locale, which has no
// characters beyond Latin-1, and drops the message (see tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include "services/dbglog.h"
#include "testhost.h"

using namespace qxtest;

namespace {

TEST(DbgLogText, CharactersOutsideAsciiAreKept) {
    TestDrives drives;
    CloseDbgLog();
    g_strDebugLogFile = u"Dbg.log";
    DbgLog(u"File %s", u"C:\\Bilder\\Grüße 😀.jpg");
    CloseDbgLog();
    EXPECT_EQ(ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log"),
              std::vector<std::string>{"File C:\\Bilder\\Grüße 😀.jpg"});
}

}  // namespace
