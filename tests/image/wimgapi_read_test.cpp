// Reading an image without applying it: the stored metadata of every item
// (WIM_FLAG_FILEINFO) and the check of every file's data (WIM_FLAG_VERIFY).
#include <gtest/gtest.h>

#include <fstream>

#include "sample_tree.h"
#include "run_command.h"
#include "wim_test_util.h"

using namespace qxtest;

namespace {

struct Seen {
    std::vector<CString> paths;              // WIM_MSG_FILEINFO
    std::vector<WIN32_FIND_DATAW> data;
    std::vector<CString> damaged, parts;     // WIM_MSG_ERROR, WIM_MSG_INFO
    std::vector<unsigned> percents;
};

DWORD CALLBACK Collect(DWORD id, WPARAM wParam, LPARAM lParam, PVOID user) {
    auto& seen = *static_cast<Seen*>(user);
    const CString path = id == WIM_MSG_PROGRESS ? CString() : CString(reinterpret_cast<const WCHAR*>(wParam));
    if (id == WIM_MSG_FILEINFO) {
        seen.paths.push_back(path);
        seen.data.push_back(*reinterpret_cast<const WIN32_FIND_DATAW*>(lParam));
    } else if (id == WIM_MSG_ERROR) {
        EXPECT_EQ(static_cast<LPARAM>(ERROR_FILE_CORRUPT), lParam);
        seen.damaged.push_back(path);
    } else if (id == WIM_MSG_INFO) {
        seen.parts.push_back(path);
    } else if (id == WIM_MSG_PROGRESS) {
        seen.percents.push_back(static_cast<unsigned>(wParam));
    }
    return WIM_MSG_SUCCESS;
}

class WimgapiRead : public ::testing::Test {
protected:
    WimgapiRead() {
        CreateDirectoryW(u"D:\\Set", nullptr);
        CreateDirectoryW(u"D:\\Temp", nullptr);
        for (unsigned i = 0; i < 6; ++i) drives.Write(Name(i), NoiseBytes(150000, 10 + i));
        drives.Write(u"C:\\Data\\Sub\\small.txt", "small\n");
    }
    static CString Name(unsigned i) {
        CString name;
        name.Format(u"C:\\Data\\f%u.bin", i);
        return name;
    }
    // Captures C:\Data uncompressed into D:\Set\Image.wim and splits it into parts of 400000 bytes.
    std::vector<CString> SplitSet() {
        HANDLE file = WIMCreateFile(u"D:\\Set\\Image.wim", WIM_GENERIC_READ | WIM_GENERIC_WRITE, WIM_CREATE_ALWAYS, 0,
                                    WIM_COMPRESS_NONE, nullptr);
        HANDLE image = WIMCaptureImage(file, u"C:\\Data", 0);
        EXPECT_NE(nullptr, image);
        WIMCloseHandle(image);
        WIMCloseHandle(file);
        file = WIMCreateFile(u"D:\\Set\\Image.wim", WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = 400000;
        EXPECT_TRUE(WIMSplitFile(file, u"D:\\Set\\Image.swm", &size, 0));
        WIMCloseHandle(file);
        return {u"D:\\Set\\Image.swm", u"D:\\Set\\Image2.swm", u"D:\\Set\\Image3.swm"};
    }
    // Reads image 1 of the set without applying it; the reported paths start with "X:".
    BOOL Read(const std::vector<CString>& parts, DWORD flags, DWORD* error = nullptr) {
        HANDLE file = WIMCreateFile(parts[0], WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
        EXPECT_NE(nullptr, file);
        EXPECT_TRUE(WIMSetTemporaryPath(file, u"D:\\Temp"));
        for (size_t i = 1; i < parts.size(); ++i) WIMSetReferenceFile(file, parts[i], WIM_REFERENCE_APPEND);
        EXPECT_NE(INVALID_CALLBACK_VALUE, WIMRegisterMessageCallback(file, Collect, &seen));
        HANDLE image = WIMLoadImage(file, 1);
        BOOL ok = WIMApplyImage(image, u"X:\\", WIM_FLAG_NO_APPLY | flags);
        if (error) *error = GetLastError();
        WIMCloseHandle(image);
        WIMCloseHandle(file);
        return ok;
    }

    TestDrives drives{{"C", "D"}};
    Seen seen;
};

TEST_F(WimgapiRead, FileInfoGivesEveryItemsStoredMetadataAndWritesNothing) {
    WIN32_FILE_ATTRIBUTE_DATA source{};
    ASSERT_TRUE(GetFileAttributesExW(Name(2), GetFileExInfoStandard, &source));
    ASSERT_TRUE(Read(SplitSet(), WIM_FLAG_FILEINFO));
    ASSERT_EQ(8u, seen.paths.size());
    bool sawFolder = false, sawSmall = false;
    for (size_t i = 0; i < seen.paths.size(); ++i) {
        const WIN32_FIND_DATAW& d = seen.data[i];
        const CString name = d.cFileName;
        EXPECT_EQ(seen.paths[i].Mid(seen.paths[i].ReverseFind(u'\\') + 1), name);
        if (seen.paths[i] == u"X:\\Sub") sawFolder = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (seen.paths[i] == u"X:\\Sub\\small.txt") sawSmall = d.nFileSizeLow == 6 && d.nFileSizeHigh == 0;
        if (seen.paths[i] == u"X:\\f2.bin") {
            EXPECT_EQ(150000u, d.nFileSizeLow);
            EXPECT_EQ(source.ftLastWriteTime.dwLowDateTime, d.ftLastWriteTime.dwLowDateTime);
            EXPECT_EQ(source.ftLastWriteTime.dwHighDateTime, d.ftLastWriteTime.dwHighDateTime);
        }
    }
    EXPECT_TRUE(sawFolder);
    EXPECT_TRUE(sawSmall);
    EXPECT_TRUE(FilesBelow(drives.Root('D') + "/Temp").empty());
}

TEST_F(WimgapiRead, VerifyNamesEachDamagedFileWithItsPartAndLeavesNothingBehind) {
    const std::vector<CString> parts = SplitSet();
    ASSERT_TRUE(Read(parts, WIM_FLAG_VERIFY));
    EXPECT_TRUE(seen.damaged.empty());
    ASSERT_FALSE(seen.percents.empty());
    EXPECT_EQ(100u, seen.percents.back());

    // One flipped byte inside the stored (uncompressed) data of f3.bin.
    const std::string content = NoiseBytes(150000, 13);
    CString holder;
    for (const CString& part : parts) {
        std::string bytes = ReadHostFile(drives.Host(part));
        const size_t at = bytes.find(content.substr(70000, 64));
        if (at == std::string::npos) continue;
        std::fstream f(drives.Host(part), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(at + 10));
        f.put(static_cast<char>(bytes[at + 10] ^ 0x01));
        holder = part;
    }
    ASSERT_FALSE(holder.IsEmpty());
    seen = Seen{};
    DWORD error = 0;
    EXPECT_FALSE(Read(parts, WIM_FLAG_VERIFY, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_CORRUPT), error);
    EXPECT_EQ(std::vector<CString>{u"X:\\f3.bin"}, seen.damaged);
    EXPECT_EQ(std::vector<CString>{holder}, seen.parts);
    EXPECT_TRUE(FilesBelow(drives.Root('D') + "/Temp").empty());
    EXPECT_EQ(0u, RunCommand("ls -A '" + drives.Root('D') + "/Temp'").size());
}

}  // namespace
