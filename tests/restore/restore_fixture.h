// Shared set-up of the restore tests: two drives, the module, a host window,
// a backup made through the exports and a look at the restored tree.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/serialization.h"
#include "sample_tree.h"
#include "tree_listing.h"
#include "wimgapi.h"

namespace restoretest {

using namespace qxtest;
namespace fs = std::filesystem;

const ULONGLONG kMiB = 1048576;

struct RestoreFixture : ::testing::Test {
    // protocol: the host protocol the module is asked for (Module).
    explicit RestoreFixture(int protocol = QXFM_PROTOCOL_DOCUMENTED) : module(protocol) {}

    TestDrives drives{{"C", "D"}};
    Module module;
    HostWindow host;

    void BackUp(const SampleTree& tree, BOOL split, int splitMB, int compression) {
        std::vector<CString> files = tree.Paths(), categories, imageFiles;
        imageFiles.reserve(8);
        ASSERT_EQ(0, module.Backup(host.handle(), &files, tree.typeList, &categories, drives.Path(u"D:\\Backups\\Monday"),
                                   u"Image", split, splitMB, compression, &imageFiles, nullptr));
        host.Drain();
    }

    int Restore(const CString& backupFolder, std::vector<CString> categories, const CString& target = u"C:\\Restore",
                ContinueCallback callback = nullptr) {
        return module.Restore(host.handle(), drives.Path(backupFolder), &categories, drives.Path(target), callback);
    }

    // A catalog's drive entry and a DOCUMENTS category, both in image 1.
    static void AddDocumentsImage(CQXSerialization& catalog, const CString& drive) {
        DriveEntry entry;
        entry.Drive = drive;
        entry.IndexofImage = {1};
        catalog.m_arDrive.push_back(entry);
        TypeEntry type;
        type.Category = u"DOCUMENTS";
        type.Extension = {u"DOC"};
        type.IndexofImage = {1};
        catalog.m_arType.push_back(type);
    }

    // The host folder that holds every drive and the work folder of this test.
    std::string TempRoot() const { return fs::path(drives.Root('C')).parent_path().string(); }
    // Everything of the temporary tree but the restore target below C: (host
    // folder name given), the work folder with its logs and the drive's log copy.
    std::vector<std::string> Outside(const std::string& targetName = "Restore") const {
        return ListTree(TempRoot(), {"drive_C/" + targetName, "work", "drive_C/system.sav"});
    }
    // How often text occurs in the debug log (which the image engine writes to as well).
    size_t Logged(const std::string& text) const {
        const std::string log = ReadHostFile(drives.WorkDir() + "/Dbg.log");
        size_t count = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
        return count;
    }

    // Host path of the one dated restore folder below C:\Restore\System Recovery Files.
    std::string RestoreRoot(const std::string& targetName = "Restore") {
        return RestoreRootIn(drives.Root('C') + "/" + targetName);
    }
    // The same below the restore target given by its host path.
    static std::string RestoreRootIn(const std::string& hostTarget) {
        std::string base = hostTarget + "/System Recovery Files";
        const std::vector<std::string> roots = FolderEntries(base);
        EXPECT_EQ(1u, roots.size());
        return roots.empty() ? base : roots[0];
    }

    // Where a backed-up file lands: <root>/<drive letter>/<path below the drive>,
    // as a raw copy lays it out (on Windows the drive holding the test drive's
    // folder, and that folder's path), with folder in place of the letter when given.
    std::string RestoredHostPath(const std::string& root, const CString& path, const std::string& folder = "") const {
        const std::string place = drives.RawCopyPlace(path);
        return root + "/" + (folder.empty() ? place : folder + place.substr(1));
    }
    // The restored root of the drive that holds a test drive: where its exception folders come back.
    std::string RestoredDriveRoot(const std::string& root, char letter) const {
        return root + "/" + drives.RawCopyPlace(CString(static_cast<WCHAR>(letter)) + u":\\").substr(0, 1);
    }
};


}  // namespace restoretest
