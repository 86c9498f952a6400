// The fixture of the image backup tests (backup_test, backup_two_drives_test):
// a backup through the exports into D:\Backups\Monday.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "catalog/serialization.h"
#include "image_reader.h"
#include "sample_tree.h"
#include "wimgapi.h"

namespace qxtest {

constexpr ULONGLONG kMiB = 1048576;

struct BackupFixture : ::testing::Test {
    TestDrives drives{{"C", "D"}};
    Module module;
    HostWindow host;
    std::vector<CString> imageFiles;

    BackupFixture() { imageFiles.reserve(16); }
    // The path the module is given for a drive path (on Windows inside the drive's folder).
    CString P(const CString& drivePath) const { return drives.Path(drivePath); }

    int Backup(std::vector<CString> files, std::vector<CString> categories, BOOL split, int splitMB, int compression,
               ContinueCallback cb = nullptr) {
        return module.Backup(host.handle(), &files, P(u"C:\\types.txt"), &categories, P(u"D:\\Backups\\Monday"),
                             u"Image", split, splitMB, compression, &imageFiles, cb);
    }
};

inline std::vector<int> Numbers(std::vector<int> v) { return v; }

}  // namespace qxtest
