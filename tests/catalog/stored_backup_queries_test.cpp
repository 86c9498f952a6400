// IsDataValid and GetCategoriesFromSerializationData as a host calls them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "catalog_bytes.h"
#include "run_command.h"
#include "testhost.h"

using namespace cattest;
using namespace qxtest;
namespace fs = std::filesystem;

namespace {

std::string Types(const std::vector<std::u16string>& names) {
    std::string s = I32(static_cast<int32_t>(names.size()));
    for (const auto& name : names) s += S(name) + I32(0) + I32(0);
    return s;
}

std::string Images(const std::vector<std::u16string>& paths) {
    std::string s = I32(static_cast<int32_t>(paths.size()));
    for (const auto& path : paths) s += S(path);
    return s;
}

std::string Catalog(const std::vector<std::u16string>& types, const std::vector<std::u16string>& images) {
    return CatalogFile(I32(0) + Types(types) + Images(images) + I32(0) + U64(0) + I32(0));
}

class StoredBackupQueries : public ::testing::Test {
protected:
    void SetUp() override {
        // The queries post to the window an earlier operation stored.
        m.GetFileArrayByUserSelection(host.handle(), u"");
        host.Drain();
        logStart = ReadDbgLogMessages(DbgLogHost()).size();
    }

    void WriteCatalog(const std::string& bytes) const { drives.Write(u"D:\\backup\\Tarvolen.fbu", bytes); }
    std::string DbgLogHost() const { return drives.WorkDir() + "/Dbg.log"; }
    std::vector<std::string> NewLogLines() const {
        std::vector<std::string> lines = ReadDbgLogMessages(DbgLogHost());
        return std::vector<std::string>(lines.begin() + static_cast<long>(std::min(logStart, lines.size())),
                                        lines.end());
    }

    TestDrives drives{{"C", "D"}};
    Module m;
    HostWindow host;
    size_t logStart = 0;
};

const std::u16string kParts[] = {u"D:\\backup\\Backup.swm", u"D:\\backup\\Backup2.swm", u"D:\\backup\\Backup3.swm"};

// A real image split into Backup.swm, Backup2.swm and Backup3.swm in hostFolder
// (or a single image file named name), made with wimlib-imagex from files of seed.
void MakeImageSet(const std::string& hostFolder, unsigned seed, const std::string& name = "") {
    const std::string src = hostFolder + "/src" + std::to_string(seed);
    for (int i = 0; i < 3; ++i) WriteHostFile(src + "/f" + std::to_string(i) + ".bin", std::string(700000, char('a' + seed + i)));
    const std::string whole = hostFolder + "/" + (name.empty() ? "whole.wim" : name);
    std::string command = "wimlib-imagex capture '" + src + "' '" + whole + "' --compress=none";
    if (name.empty()) command += " && wimlib-imagex split '" + whole + "' '" + hostFolder + "/Backup.swm' 1 && rm '" + whole + "'";
    int status = 0;
    std::string out = RunCommand(command + " && rm -r '" + src + "'", &status);
    ASSERT_EQ(0, status) << out;
}

TEST_F(StoredBackupQueries, ValidWhenEveryImagePartExists) {
    MakeImageSet(drives.Root('D') + "/backup", 1);
    WriteCatalog(Catalog({u"DOCUMENTS"}, {kParts[0], kParts[1], kParts[2]}));

    EXPECT_EQ(m.IsDataValid(u"D:\\backup"), 0);
    std::vector<Posted> posted = host.Drain();
    EXPECT_EQ(Codes(posted, host.operationStr),
              (std::vector<long long>{MSG_OPERATION_ISDATAVALID_START, MSG_OPERATION_ISDATAVALID_END}));
    EXPECT_TRUE(Codes(posted, host.errorStr).empty());
    EXPECT_EQ(NewLogLines(), (std::vector<std::string>{"MSG_OPERATION_ISDATAVALID_START - Start to Data Valid testing!",
                                                       "MSG_OPERATION_ISDATAVALID_END - Data Valid testing OK!"}));
}

TEST_F(StoredBackupQueries, AMissingPartIsNamedAndMakesTheDataInvalid) {
    MakeImageSet(drives.Root('D') + "/backup", 1);
    fs::remove(drives.Host(kParts[1]));
    WriteCatalog(Catalog({u"DOCUMENTS"}, {kParts[0], kParts[1], kParts[2]}));

    EXPECT_EQ(m.IsDataValid(u"D:\\backup\\"), 1);
    std::vector<Posted> posted = host.Drain();
    EXPECT_EQ(Codes(posted, host.operationStr), std::vector<long long>{MSG_OPERATION_ISDATAVALID_START});
    EXPECT_EQ(Codes(posted, host.errorStr), std::vector<long long>{MSG_ERROR_DATA_UNVALID});
    EXPECT_EQ(NewLogLines(),
              (std::vector<std::string>{"MSG_OPERATION_ISDATAVALID_START - Start to Data Valid testing!",
                                        "MSG_ERROR_DATA_UNVALID - Failed to Data Valid testing! Data "
                                        "D:\\backup\\Backup2.swm not found"}));
}

TEST_F(StoredBackupQueries, NoImageListedIsInvalidWithOnlyTheStartNotice) {
    WriteCatalog(Catalog({u"DOCUMENTS"}, {}));
    EXPECT_EQ(m.IsDataValid(u"D:\\backup"), 1);
    std::vector<Posted> posted = host.Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, host.operationStr);
    EXPECT_EQ(posted[0].wParam, MSG_OPERATION_ISDATAVALID_START);
}

TEST_F(StoredBackupQueries, MissingCatalogIsShownAndInvalid) {
    drives.Write(u"D:\\backup\\Backup.swm", "wim");
    EXPECT_EQ(m.IsDataValid(u"D:\\backup"), 1);
    EXPECT_FALSE(LastMessageBoxText().IsEmpty());
    std::vector<Posted> posted = host.Drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, MSG_OPERATION_ISDATAVALID_START);
}

TEST_F(StoredBackupQueries, ADamagedCatalogIsInvalidAndReported) {
    drives.Write(kParts[0], "wim");
    std::string bytes = Catalog({u"DOCUMENTS"}, {kParts[0]});
    WriteCatalog(bytes.substr(0, bytes.size() - 3));
    EXPECT_EQ(m.IsDataValid(u"D:\\backup"), 1);
    std::vector<Posted> posted = host.Drain();
    EXPECT_EQ(Codes(posted, host.operationStr), std::vector<long long>{MSG_OPERATION_ISDATAVALID_START});
    EXPECT_EQ(Codes(posted, host.errorStr), std::vector<long long>{MSG_ERROR_UNSERIALIZATION_FAILED});
}

TEST_F(StoredBackupQueries, ValidityCheckTakesNoLock) {
    MakeImageSet(drives.Root('D') + "/backup", 1, "Image.wim");
    WriteCatalog(Catalog({}, {u"D:\\backup\\Image.wim"}));
    OtherProcessLock lock;
    ASSERT_TRUE(lock.holding());
    EXPECT_EQ(m.IsDataValid(u"D:\\backup"), 0);
}

// The check reads the parts where the restore reads them: by name in the folder it is given.
TEST_F(StoredBackupQueries, TheCheckLooksAtTheFilesTheRestoreWillRead) {
    MakeImageSet(drives.Root('D') + "/backup", 1);
    WriteCatalog(Catalog({u"DOCUMENTS"}, {u"D:\\old place\\Backup.swm", u"D:\\old place\\Backup2.swm",
                                          u"D:\\old place\\Backup3.swm"}));
    EXPECT_EQ(m.IsDataValid(u"D:\\backup"), 0);  // moved, intact

    // A copy with one part deleted, while the parts at the recorded places are all there.
    fs::copy(drives.Root('D') + "/backup", drives.Root('D') + "/copy");
    fs::copy(drives.Root('D') + "/backup", drives.Root('D') + "/old place");
    fs::remove(drives.Root('D') + "/copy/Backup3.swm");
    EXPECT_EQ(m.IsDataValid(u"D:\\copy"), 1);
    EXPECT_EQ(NewLogLines().back(), "MSG_ERROR_DATA_UNVALID - Failed to Data Valid testing! Data D:\\copy\\Backup3.swm not found");
    EXPECT_EQ(Codes(host.Drain(), host.errorStr), std::vector<long long>{MSG_ERROR_DATA_UNVALID});
}

// Each part must belong to the set of the first one, with its own part number.
TEST_F(StoredBackupQueries, APartOfAnotherBackupOrAFileThatIsNoImageIsInvalid) {
    const std::string backup = drives.Root('D') + "/backup", other = drives.Root('D') + "/other";
    MakeImageSet(backup, 1);
    MakeImageSet(other, 2);
    WriteCatalog(Catalog({u"DOCUMENTS"}, {kParts[0], kParts[1], kParts[2]}));
    fs::copy_file(other + "/Backup2.swm", backup + "/Backup2.swm", fs::copy_options::overwrite_existing);
    EXPECT_EQ(m.IsDataValid(u"D:\\backup"), 1);
    EXPECT_EQ(NewLogLines().back(),
              "MSG_ERROR_DATA_UNVALID - Failed to Data Valid testing! Data D:\\backup\\Backup2.swm is not a part of this backup");

    fs::copy_file(backup + "/Backup3.swm", backup + "/Backup2.swm", fs::copy_options::overwrite_existing);
    EXPECT_EQ(m.IsDataValid(u"D:\\backup"), 1);  // part 3 twice

    WriteHostFile(backup + "/Backup2.swm", "wim");
    EXPECT_EQ(m.IsDataValid(u"D:\\backup"), 1);
    EXPECT_EQ(Codes(host.Drain(), host.errorStr), std::vector<long long>(3, MSG_ERROR_DATA_UNVALID));
}

TEST_F(StoredBackupQueries, CategoriesAreAppendedInStoredOrder) {
    WriteCatalog(Catalog({u"DOCUMENTS", u"", u"PICTURES", u"DOCUMENTS"}, {}));
    std::vector<CString> categories;
    EXPECT_EQ(m.GetCategoriesFromSerializationData(u"D:\\backup", &categories), 0);  // no storage reserved
    EXPECT_TRUE(categories.empty());

    categories.reserve(1);
    EXPECT_EQ(m.GetCategoriesFromSerializationData(u"D:\\backup\\", &categories), 1);
    EXPECT_EQ(categories, (std::vector<CString>{u"DOCUMENTS", u"PICTURES", u"DOCUMENTS"}));
    EXPECT_EQ(m.GetCategoriesFromSerializationData(u"D:\\backup", &categories), 1);
    EXPECT_EQ(categories.size(), 6u);
    EXPECT_EQ(m.GetCategoriesFromSerializationData(u"D:\\backup", nullptr), 0);
    EXPECT_TRUE(host.Drain().empty());
}

TEST_F(StoredBackupQueries, CategoriesOfUnreadableCatalogs) {
    std::vector<CString> categories = {u"KEPT"};

    EXPECT_EQ(m.GetCategoriesFromSerializationData(u"D:\\backup", &categories), 0);  // no catalog
    EXPECT_FALSE(LastMessageBoxText().IsEmpty());

    std::string bytes = Catalog({u"DOCUMENTS"}, {});
    WriteCatalog(bytes.substr(0, bytes.size() - 1));
    EXPECT_EQ(m.GetCategoriesFromSerializationData(u"D:\\backup", &categories), 0);  // damaged
    EXPECT_EQ(categories, std::vector<CString>{u"KEPT"});
    EXPECT_EQ(Codes(host.Drain(), host.errorStr), std::vector<long long>{MSG_ERROR_UNSERIALIZATION_FAILED});

    WriteCatalog(S(u"qxserialization") + Time64(1) + Types({u"DOCUMENTS"}));
    EXPECT_EQ(m.GetCategoriesFromSerializationData(u"D:\\backup", &categories), 1);  // wrong signature
    EXPECT_EQ(categories, std::vector<CString>{u"KEPT"});
    EXPECT_EQ(Codes(host.Drain(), host.errorStr), std::vector<long long>{MSG_ERROR_UNSERIALIZATION_FAILED});
}

}  // namespace
