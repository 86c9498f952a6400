// Image information through the WIMGAPI layer: the name and description set on
// a captured image are in the file, and read back as WIMGAPI's XML.
#include <gtest/gtest.h>

#include "testhost.h"
#include "wimgapi.h"

using namespace qxtest;

namespace {

CString Information(HANDLE handle) {
    PVOID buffer = nullptr;
    DWORD bytes = 0;
    EXPECT_TRUE(WIMGetImageInformation(handle, &buffer, &bytes));
    if (!buffer) return CString();
    const auto* units = static_cast<const WCHAR*>(buffer);
    EXPECT_EQ(0xFEFF, units[0]);
    CString xml(units + 1, static_cast<int>(bytes / sizeof(WCHAR)) - 1);
    LocalFree(buffer);
    return xml;
}

TEST(WimgapiImageInformation, NameAndDescriptionAreWrittenIntoTheFileAndReadBack) {
    const std::string missing = ImageEngineMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    TestDrives drives{{"C", "D"}};
    drives.Write(u"C:\\Docs\\a.txt", "alpha\n");
    const CString wim = drives.Path(u"D:\\Image.wim");
    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ | WIM_GENERIC_WRITE, WIM_CREATE_ALWAYS, 0, WIM_COMPRESS_XPRESS,
                                nullptr);
    ASSERT_NE(nullptr, file);
    HANDLE image = WIMCaptureImage(file, drives.Path(u"C:\\Docs"), 0);
    ASSERT_NE(nullptr, image);
    const CString xml = u"\xFEFF<IMAGE><NAME>C: DOCUMENTS &amp; more</NAME><DESCRIPTION>Mon &lt;1&gt;</DESCRIPTION>"
                        u"</IMAGE>";
    EXPECT_TRUE(WIMSetImageInformation(image, const_cast<WCHAR*>(xml.GetString()),
                                       static_cast<DWORD>(xml.GetLength() * sizeof(WCHAR))));
    const CString own = Information(image);
    EXPECT_EQ(CString(u"C: DOCUMENTS & more"), QxImageInfoElement(own, u"NAME")) << own.ToUtf8();
    EXPECT_EQ(CString(u"Mon <1>"), QxImageInfoElement(own, u"DESCRIPTION"));
    EXPECT_TRUE(WIMCloseHandle(image));
    EXPECT_TRUE(WIMCloseHandle(file));

    // A file handle gives every image; a read-only file takes no new information.
    file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    ASSERT_NE(nullptr, file);
    const CString all = Information(file);
    EXPECT_EQ(0, all.Find(u"<WIM><IMAGE INDEX=\"1\"><NAME>C: DOCUMENTS &amp; more</NAME>")) << all.ToUtf8();
    image = WIMLoadImage(file, 1);
    ASSERT_NE(nullptr, image);
    EXPECT_FALSE(WIMSetImageInformation(image, const_cast<WCHAR*>(xml.GetString()),
                                        static_cast<DWORD>(xml.GetLength() * sizeof(WCHAR))));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    WIMCloseHandle(file);
}

}  // namespace
