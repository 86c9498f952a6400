// BackupRaw end to end, through the loaded module as a host calls it: the
// fixture of the cases every build runs and of the Linux-only ones.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "services/local_time.h"
#include "testhost.h"

namespace rawbackup {

using qxtest::ContinueCounter;
using qxtest::HostWindow;
using qxtest::Module;
using qxtest::Posted;
using qxtest::TestDrives;

class BackupRawTest : public ::testing::Test {
protected:
    static constexpr const WCHAR* kStampFormat = u"%Y-%m-%d %H%M%S";

    void SetUp() override { ContinueCounter::Reset(); }

    // Runs BackupRaw and keeps what the host saw.
    int Run(std::vector<CString>* files, const CString& destination, ContinueCallback callback = nullptr) {
        before = LocalTimeText(kStampFormat).ToUtf8();
        int result = module.BackupRaw(host.handle(), files, destination, callback);
        after = LocalTimeText(kStampFormat).ToUtf8();
        posted = host.Drain();
        return result;
    }

    // The one time-stamped folder below a host folder, checked against the call's time.
    std::string StampFolder(const std::string& hostDestination) const {
        std::vector<std::string> folders = SubFolders(hostDestination);
        EXPECT_EQ(folders.size(), 1u);
        if (folders.size() != 1) return "";
        const std::string& name = folders[0];
        EXPECT_TRUE(std::regex_match(name, std::regex(R"(\d{4}-\d{2}-\d{2} \d{6})"))) << name;
        EXPECT_LE(before, name);
        EXPECT_GE(after, name);
        return hostDestination + "/" + name;
    }

    // The Windows path of the time-stamped folder at a host path below D:\backup.
    CString StampBelowBackup(const std::string& hostStamp) const {
        return drives.Path(u"D:\\backup\\" + CString::FromUtf8(std::filesystem::path(hostStamp).filename().string()));
    }

    // The Windows path of the copy of drivePath in a time-stamped folder given by its Windows path.
    CString CopyIn(const CString& stampFolder, const CString& drivePath) const {
        CString place = CString::FromUtf8(drives.RawCopyPlace(drivePath));
        place.Replace(u'/', u'\\');
        return stampFolder + u"\\" + place;
    }

    // Sub-folders of a host folder, by name.
    static std::vector<std::string> SubFolders(const std::string& hostFolder) {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(hostFolder, ec))
            if (entry.is_directory()) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Every file below a host folder, as '/'-separated paths relative to it.
    static std::vector<std::string> FilesBelow(const std::string& hostFolder) {
        std::vector<std::string> files;
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(hostFolder, ec))
            if (entry.is_regular_file())
                files.push_back(std::filesystem::relative(entry.path(), hostFolder).generic_string());
        std::sort(files.begin(), files.end());
        return files;
    }

    static std::vector<std::string> Sorted(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    }

    // Removes a host folder with everything in it; Windows deletes no read-only file.
    static void RemoveTree(const std::string& hostFolder) {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(hostFolder, ec))
            if (!entry.is_symlink(ec)) fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(hostFolder);
    }

    static std::vector<CString> Texts(const std::vector<Posted>& posted, UINT message) {
        std::vector<CString> texts;
        for (const auto& p : posted)
            if (p.message == message) texts.push_back(p.text);
        return texts;
    }

    static bool Contains(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::vector<long long> Errors() const { return qxtest::Codes(posted, host.errorStr); }
    std::vector<long long> Operations() const { return qxtest::Codes(posted, host.operationStr); }
    std::vector<std::string> DbgLogMessages() const {
        return qxtest::ReadDbgLogMessages(drives.WorkDir() + "/Dbg.log");
    }

    TestDrives drives{{"C", "D"}};
    Module module{QXFM_PROTOCOL_EXTENDED};  // the files not copied are named
    HostWindow host;
    std::vector<Posted> posted;
    std::string before, after;
};

}  // namespace rawbackup
