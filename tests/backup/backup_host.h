// A host that backs up into D:\Backups\Monday and reads back what it stored.
// Tests name places by drive paths; the host hands the module their paths
// (on Windows inside the test drives' folders).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "image_reader.h"
#include "testhost.h"
#include "wimgapi.h"

namespace qxtest {

struct BackupHost : ::testing::Test {
    static constexpr const char16_t* kFolder = u"D:\\Backups\\Monday";
    const CString kFolderSlash = CString(kFolder) + u"\\";

    TestDrives drives{{"C", "D"}};
    Module module;
    HostWindow host;
    std::vector<CString> imageFiles;

    // protocol: the host protocol the module is asked for (Module).
    explicit BackupHost(int protocol = QXFM_PROTOCOL_DOCUMENTED) : module(protocol) { imageFiles.reserve(16); }

    int Backup(std::vector<CString> files, std::vector<CString> categories, BOOL split, int splitMB,
               int compression = WIM_COMPRESS_XPRESS, ContinueCallback cb = nullptr) {
        for (CString& file : files) file = drives.Path(file);
        return module.Backup(host.handle(), &files, drives.Path(u"C:\\types.txt"), &categories, drives.Path(kFolder),
                             u"Image", split, splitMB, compression, &imageFiles, cb);
    }
    // The path the module is given for a drive path.
    CString P(const CString& drivePath) const { return drives.Path(drivePath); }
    // The module's restore of the backup into a drive path.
    int Restore(std::vector<CString> categories, const CString& target) {
        return module.Restore(host.handle(), drives.Path(kFolder), &categories, drives.Path(target), nullptr);
    }

    // "/Users/ann/x.doc" for "C:\Users\ann\x.doc": the path an image holds
    // for a drive path (on Windows, below the root of the drive holding the
    // test drive's folder).
    std::string InImage(const CString& drivePath) const { return drives.RawCopyPlace(drivePath).substr(1); }

    // The files of an image of the backup, as "/path/below/the/drive": the
    // listed paths that no other listed path lies below.
    std::set<std::string> ImageFiles(int image) const {
        const std::string listing =
            ListingOf(drives.Host(imageFiles.at(0)), image,
                      imageFiles.size() > 1 ? drives.Host(CString(kFolder) + u"\\Image*.swm") : std::string());
        std::set<std::string> paths, files;
        for (size_t at = 0, end; (end = listing.find('\n', at)) != std::string::npos; at = end + 1)
            paths.insert(listing.substr(at, end - at));
        for (const std::string& path : paths) {
            auto next = paths.lower_bound(path + "/");
            if (path != "/" && (next == paths.end() || next->rfind(path + "/", 0) != 0)) files.insert(path);
        }
        return files;
    }

    // The string payloads of one error code.
    std::vector<CString> ErrorTexts(const std::vector<Posted>& posted, long long code) const {
        std::vector<CString> texts;
        for (const Posted& p : posted)
            if (p.message == host.errorStr && p.wParam == code) texts.push_back(p.text);
        return texts;
    }

    // Host folder of a drive path in the one restore below D:\Restore.
    std::string RestoredPath(const CString& drivePath) const {
        return RestoreFolder() + "/" + drives.RawCopyPlace(drivePath);
    }
    // The same of the root of the drive that holds a test drive, where the
    // exception folders come back.
    std::string RestoredDriveRoot(char letter) const {
        return RestoreFolder() + "/" + drives.RawCopyPlace(CString(static_cast<WCHAR>(letter)) + u":\\").substr(0, 1);
    }
    // The one dated folder of the restore below D:\Restore.
    std::string RestoreFolder() const {
        const std::string base = drives.Root('D') + "/Restore/System Recovery Files";
        const std::vector<std::string> roots = FolderEntries(base);
        EXPECT_EQ(1u, roots.size());
        return roots.empty() ? base : roots[0];
    }

    bool LogHas(const std::string& message) const {
        auto log = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
        return std::find(log.begin(), log.end(), message) != log.end();
    }
};

}  // namespace qxtest
