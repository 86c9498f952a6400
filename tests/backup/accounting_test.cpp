// Every file a host lists ends in exactly one class, whatever stands for it in
// the image and whatever traps lie on the way: stored, excluded, of no chosen
// category, missing, or left out and named. The stored ones restore byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "backup_host.h"
#include "sample_tree.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

const ULONGLONG kMiB = 1048576;

struct Accounting : BackupHost {
    Accounting() : BackupHost(QXFM_PROTOCOL_EXTENDED) {}
    SampleTree tree = MakeSampleTree(drives, 3 * kMiB);

    // The string payloads of one operation code.
    std::set<std::u16string> Noted(const std::vector<Posted>& posted, long long code) const {
        std::set<std::u16string> paths;
        for (const Posted& p : posted)
            if (p.message == host.operationStr && p.wParam == code) paths.insert(p.text.str());
        return paths;
    }
    std::set<std::u16string> Named(const std::vector<Posted>& posted, long long code) const {
        std::set<std::u16string> paths;
        for (const CString& text : ErrorTexts(posted, code)) paths.insert(text.str());
        return paths;
    }
};

CString Deep(const CString& first) {
    CString path = first;
    for (int i = 0; i < 12; ++i) path += u"\\a rather long folder name";
    return path;
}

}  // namespace

// The traps of links (Wine makes none) and of a name that is not UTF-8 (a
// Linux name) are laid where the system has them.
TEST_F(Accounting, EveryListedFileIsStoredOrNamedWhateverStandsForItAndWhateverTrapsLie) {
    const bool links = MakeLink(drives.Root('D') + "/Trap", drives.Root('C') + "/probe", true);
    const CString secret = P(Deep(u"C:\\Users\\ann\\Private") + u"\\secret.doc");
    drives.Write(secret, "private");
    const CString gone = P(u"C:\\Users\\ann\\Documents\\gone.doc");
    std::vector<CString> files = tree.Paths(), leftOutTraps;
    if (links) {
        fs::remove(drives.Root('C') + "/probe");
        // An exception folder that leads off the drive, and a folder that leads to another.
        fs::create_directories(drives.Root('D') + "/Trap");
        ASSERT_TRUE(MakeLink(drives.Root('D') + "/Trap", drives.Root('C') + "/_Exception1", true));
        drives.Write(u"D:\\Shared\\linked.doc", "behind a link");
        ASSERT_TRUE(MakeLink(drives.Root('D') + "/Shared", drives.Root('C') + "/Users/ann/Linked", true));
        leftOutTraps.push_back(P(u"C:\\Users\\ann\\Linked\\linked.doc"));
    }
#ifndef _WIN32
    const std::string badName = "bad\xff name.doc";
    WriteHostFile(drives.Root('C') + "/Users/ann/Documents/" + badName, "not UTF-8");
    leftOutTraps.push_back(CString(u"C:\\Users\\ann\\Documents\\") + CString::FromUtf8(badName));
#endif
    for (const CString& trap : {secret, gone}) files.push_back(trap);
    // More files than the backup looks up ahead at a time, every third missing.
    std::set<std::u16string> bulkStored, bulkMissing;
    for (int i = 0; i < 2500; ++i) {
        CString name;
        name.Format(u"C:\\Users\\ann\\Bulk\\note%d.txt", i);
        const CString path = P(name);
        if (i % 3) drives.Write(path, "note");
        (i % 3 ? bulkStored : bulkMissing).insert(path.str());
        files.push_back(path);
    }
    files.insert(files.end(), leftOutTraps.begin(), leftOutTraps.end());
    files.push_back(u"C:\\USERS\\ann\\Documents\\report.doc");  // listed again, in other letter case
    // Texts found in the stand-ins' paths (an exception copy, pieces), a private folder, and an empty entry.
    std::vector<CString> exclusions{u"exception", u"avi.00", u"\\Private\\", u""};
    module.SetExclusionFileList(&exclusions);
    const auto before = TreeState(drives.Root('C'));

    ASSERT_EQ(QXFM_BACKUP_FILES_LEFT_OUT, Backup(files, {}, TRUE, 1));
    const std::vector<Posted> posted = host.Drain();

    // The classes partition the listed files.
    std::set<std::u16string> stored;
    for (const SampleFile& f : tree.files)
        if (f.category != u"OTHERS") stored.insert(f.path.str());
    stored.insert(bulkStored.begin(), bulkStored.end());
    std::set<std::u16string> missing{bulkMissing};
    missing.insert(gone.str());
    const std::set<std::u16string> excluded{secret.str()}, noCategory{P(u"C:\\Users\\ann\\setup.bin").str()};
    std::set<std::u16string> leftOut;
    for (const CString& trap : leftOutTraps) leftOut.insert(trap.str());
    EXPECT_EQ(excluded, Noted(posted, QXFM_OPERATION_FILE_EXCLUDED));
    EXPECT_EQ(noCategory, Noted(posted, QXFM_OPERATION_FILE_OF_NO_CATEGORY));
    EXPECT_EQ(missing, Named(posted, MSG_ERROR_SERIALIZATION_FAILED));
    EXPECT_EQ(leftOut, Named(posted, MSG_ERROR_WIM_MSG_ERROR));
    EXPECT_TRUE(Named(posted, MSG_ERROR_COPYDATA_CANNOT_FIND).empty());
    const auto count = std::find_if(posted.begin(), posted.end(), [&](const Posted& p) {
        return p.message == host.operationStr && p.wParam == QXFM_OPERATION_FILES_STORED;
    });
    ASSERT_NE(posted.end(), count);
    EXPECT_EQ(static_cast<long long>(stored.size()), count->lParam);
    EXPECT_EQ(files.size() - 1, stored.size() + excluded.size() + noCategory.size() + missing.size() + leftOut.size());
    EXPECT_EQ(links, HasCode(posted, host.errorStr, ERROR_CANT_ACCESS_FILE));
    EXPECT_TRUE(LogHas("Exclusion entry 4 is empty and is ignored: it would exclude every file"));

    // Nothing was made through the links, nothing of the run is left, and the
    // images hold neither the link nor the private file in any form.
    EXPECT_TRUE(!links || fs::is_empty(drives.Root('D') + "/Trap"));
    EXPECT_EQ(before, TreeState(drives.Root('C')));
    std::set<std::string> inImages;
    for (int image = 1; image <= 4; ++image)
        for (const std::string& path : ImageFiles(image)) inImages.insert(path);
    for (const std::string& path : inImages) {
        EXPECT_EQ(std::string::npos, path.find("Linked")) << path;
        EXPECT_EQ(std::string::npos, path.find("Private")) << path;
    }
    EXPECT_TRUE(inImages.count(InImage(u"C:\\Users\\ann\\Videos\\holiday.avi") + ".000"));

    // Every stored file restores byte for byte; the over-length one from its copy's folder.
    std::vector<CString> all{u"DOCUMENTS", u"PICTURES", u"MUSIC", u"VIDEO"};
    ASSERT_EQ(0, Restore(all, u"D:\\Restore"));
    for (const SampleFile& f : tree.files) {
        if (f.category == u"OTHERS") continue;
        std::string restored = RestoredPath(f.path);
        if (f.path.GetLength() > 217) {
            // A copy in an exception folder at the root of the drive that holds the file.
            const std::string name = restored.substr(restored.rfind('/') + 1);
            const std::string folder = name.size() > 217 ? "/_Exception2/" : links ? "/_Exception3/" : "/_Exception1/";
            const std::vector<std::string> copies =
                FilesBelow(RestoredDriveRoot(static_cast<char>(f.path[0])) + folder, name.size() > 217 ? "_ReName.txt" : name);
            ASSERT_EQ(1u, copies.size()) << f.path.ToUtf8();
            restored = copies[0];
        }
        EXPECT_EQ(f.content, ReadHostFile(restored)) << f.path.ToUtf8();
    }
    EXPECT_FALSE(fs::exists(RestoredPath(u"C:\\Users\\ann\\Linked")));
}
