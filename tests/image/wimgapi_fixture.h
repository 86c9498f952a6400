// The fixture of the WIMGAPI tests (wimgapi_test, wimgapi_linux_test): a
// sample tree on C:, image files on D:, every message recorded.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "sample_tree.h"
#include "wim_test_util.h"

namespace wimtest {

using namespace qxtest;

struct WimgapiFixture : ::testing::Test {
    TestDrives drives{{"C", "D"}};
    Recorder recorder;
    RecorderRegistration registration{recorder};

    void SetUp() override {
        drives.Write(u"C:\\Docs\\a.txt", "alpha\n");
        drives.Write(u"C:\\Docs\\Sub\\b.doc", NoiseBytes(200000, 1));
        drives.Write(u"C:\\Skip\\hidden.txt", "never captured\n");
        drives.Write(u"C:\\top.bin", NoiseBytes(300000, 2));
    }

    std::string Host(const CString& path) const { return drives.Host(path); }
    // Whether a capture offered the item to the callbacks.
    bool Offered(const CString& path) const {
        const std::vector<CString> offered = recorder.Paths(WIM_MSG_PROCESS);
        return std::find(offered.begin(), offered.end(), path) != offered.end();
    }
    // The path WIMGAPI is given for a drive path (on Windows inside the drive's folder).
    CString P(const CString& drivePath) const { return drives.Path(drivePath); }

    // One capture of source into the image file, handles closed afterwards.
    bool Capture(const CString& wim, DWORD disposition, const CString& source, DWORD compression = WIM_COMPRESS_XPRESS,
                 DWORD* error = nullptr) {
        HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ | WIM_GENERIC_WRITE, disposition, 0, compression, nullptr);
        if (!file) {
            if (error) *error = GetLastError();
            return false;
        }
        HANDLE image = WIMCaptureImage(file, source, 0);
        if (error) *error = GetLastError();
        if (image) {
            EXPECT_TRUE(WIMCloseHandle(image));
        }
        EXPECT_TRUE(WIMCloseHandle(file));
        return image != nullptr;
    }

    bool Apply(const CString& wim, DWORD index, const CString& target, const std::vector<CString>& refs = {},
               DWORD* error = nullptr) {
        HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
        if (!file) return false;
        for (const CString& ref : refs) EXPECT_TRUE(WIMSetReferenceFile(file, ref, WIM_REFERENCE_APPEND));
        HANDLE image = WIMLoadImage(file, index);
        BOOL ok = image && WIMApplyImage(image, target, 0);
        if (error) *error = GetLastError();
        if (image) WIMCloseHandle(image);
        WIMCloseHandle(file);
        return ok;
    }
};

inline WIM_INFO InfoOf(const CString& wim) {
    WIM_INFO info{};
    HANDLE file = WIMCreateFile(wim, WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    EXPECT_NE(nullptr, file);
    if (file) {
        EXPECT_TRUE(WIMGetAttributes(file, &info, sizeof info));
        WIMCloseHandle(file);
    }
    return info;
}

}  // namespace wimtest
