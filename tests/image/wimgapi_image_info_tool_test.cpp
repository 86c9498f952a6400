// Image information set through the WIMGAPI layer as another WIM tool
// (wimlib-imagex, on Linux) reads it from the file.
#include <gtest/gtest.h>

#include "run_command.h"
#include "wim_test_util.h"

using namespace qxtest;

namespace {

TEST(WimgapiImageInformation, AnotherWimToolReadsTheNameAndDescription) {
    TestDrives drives{{"C", "D"}};
    drives.Write(u"C:\\Docs\\a.txt", "alpha\n");
    const CString wim = u"D:\\Image.wim";
    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ | WIM_GENERIC_WRITE, WIM_CREATE_ALWAYS, 0, WIM_COMPRESS_XPRESS,
                                nullptr);
    ASSERT_NE(nullptr, file);
    HANDLE image = WIMCaptureImage(file, u"C:\\Docs", 0);
    ASSERT_NE(nullptr, image);
    const CString xml = u"\xFEFF<IMAGE><NAME>C: DOCUMENTS &amp; more</NAME><DESCRIPTION>Mon &lt;1&gt;</DESCRIPTION>"
                        u"</IMAGE>";
    EXPECT_TRUE(WIMSetImageInformation(image, const_cast<WCHAR*>(xml.GetString()),
                                       static_cast<DWORD>(xml.GetLength() * sizeof(WCHAR))));
    EXPECT_TRUE(WIMCloseHandle(image));
    EXPECT_TRUE(WIMCloseHandle(file));

    const std::string info = RunCommand("wimlib-imagex info '" + drives.Host(wim) + "' 1");
    EXPECT_NE(std::string::npos, info.find("Name:                   C: DOCUMENTS & more")) << info;
    EXPECT_NE(std::string::npos, info.find("Description:            Mon <1>")) << info;
}

}  // namespace
