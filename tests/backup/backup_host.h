// A host that backs up into D:\Backups\Monday and reads back what it stored.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "run_command.h"
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
        return module.Backup(host.handle(), &files, u"C:\\types.txt", &categories, kFolder, u"Image", split, splitMB,
                             compression, &imageFiles, cb);
    }

    // The files of an image of the backup, as "/path/below/the/drive": the
    // listed paths that no other listed path lies below.
    std::set<std::string> ImageFiles(int image) const {
        std::string first = drives.Host(imageFiles.at(0));
        std::string listing =
            RunCommand("wimlib-imagex dir '" + first + "' " + std::to_string(image) +
                       (imageFiles.size() > 1 ? " --ref='" + drives.Root('D') + "/Backups/Monday/Image*.swm'" : ""));
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

    // Host folder of a drive's files in the one restore below D:\Restore.
    std::string RestoredDrive(char letter) const {
        const std::string base = drives.Root('D') + "/Restore/System Recovery Files";
        std::vector<std::string> roots;
        for (const auto& entry : std::filesystem::directory_iterator(base)) roots.push_back(entry.path().string());
        EXPECT_EQ(1u, roots.size());
        return (roots.empty() ? base : roots[0]) + "/" + letter;
    }

    bool LogHas(const std::string& message) const {
        auto log = ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
        return std::find(log.begin(), log.end(), message) != log.end();
    }
};

}  // namespace qxtest
