// Windows attributes (the mode bits and user.DOSATTRIB) and last-write times
// come back from a backup and restore as they were.
#include <gtest/gtest.h>

#include <algorithm>

#include "testhost.h"

using namespace qxtest;

namespace {

TEST(AttributesRoundTrip, ReadOnlyHiddenSystemArchiveAndTimesSurvive) {
    TestDrives drives({"C", "D"});
    Module module;
    HostWindow host;
    drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\n");
    const struct {
        const WCHAR* path;
        DWORD attributes;
    } files[] = {
        {u"C:\\docs\\readonly.doc", FILE_ATTRIBUTE_READONLY},
        {u"C:\\docs\\hidden.doc", FILE_ATTRIBUTE_HIDDEN},
        {u"C:\\docs\\system.doc", FILE_ATTRIBUTE_SYSTEM},
        {u"C:\\docs\\archive.doc", FILE_ATTRIBUTE_ARCHIVE},
        {u"C:\\docs\\all.doc", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE},
    };
    std::vector<CString> list;
    FILETIME old{};
    old.dwLowDateTime = 0x12345678;
    old.dwHighDateTime = 0x01A00000;  // 1980s, with a sub-second part
    for (const auto& f : files) {
        drives.Write(f.path, "x");
        const CString path = drives.Path(f.path);
        HANDLE h = CreateFileW(path, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
        CloseHandle(h);
        ASSERT_TRUE(SetFileAttributesW(path, f.attributes));
        list.push_back(path);
    }
    std::vector<CString> categories = {u"Documents"};
    std::vector<CString> imageFiles;
    imageFiles.reserve(4);
    ASSERT_EQ(0, module.Backup(host.handle(), &list, drives.Path(u"C:\\types.txt"), &categories, drives.Path(u"D:\\B"),
                               u"Image", FALSE, 0, 0, &imageFiles, nullptr));
    ASSERT_EQ(0, module.Restore(host.handle(), drives.Path(u"D:\\B"), &categories, drives.Path(u"D:\\R"), nullptr));
    const std::vector<std::string> restored = FilesBelow(drives.Root('D') + "/R", ".doc");
    ASSERT_EQ(restored.size(), std::size(files));
    for (const auto& f : files) {
        const std::string name = CString(f.path).ToUtf8().substr(8);  // after "C:\docs\"
        auto at = std::find_if(restored.begin(), restored.end(), [&](const std::string& p) {
            return p.size() > name.size() && p.compare(p.size() - name.size(), name.size(), name) == 0;
        });
        ASSERT_NE(at, restored.end()) << name;
        const CString winPath = WindowsPathOf(*at);
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExW(winPath, GetFileExInfoStandard, &data)) << name;
        // As the system reports them for the source (Wine adds the archive attribute to every file).
        EXPECT_EQ(data.dwFileAttributes, GetFileAttributesW(drives.Path(f.path))) << name;
        EXPECT_EQ(f.attributes, data.dwFileAttributes & f.attributes) << name;
        EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, old.dwHighDateTime) << name;
        EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime / 10, old.dwLowDateTime / 10) << name;
    }
}

}  // namespace
