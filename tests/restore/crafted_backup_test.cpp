// A backup handed to the restore by someone who wants it to write elsewhere:
// a real split image holding a folder link, and a catalog whose big-file and
// over-length entries run through that link.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "qxplatform.h"
#include "restore_fixture.h"
#include "run_command.h"

using namespace restoretest;

namespace {

// The image file with one stored name replaced by another of as many UTF-16
// units, and the metadata's SHA-1 in the blob table made to fit, as a tool
// that wrote such names would have stored them.
void RenameInImage(const std::string& wim, const std::u16string& from, const std::u16string& to) {
    ASSERT_EQ(from.size(), to.size());
    std::ifstream in(wim, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    const auto le = [](const std::string& b, size_t at, int n) {
        uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
        return v;
    };
    const std::string fromBytes(reinterpret_cast<const char*>(from.data()), from.size() * 2);
    const std::string toBytes(reinterpret_cast<const char*>(to.data()), to.size() * 2);
    const uint64_t tableSize = le(bytes, 0x30, 7), tableAt = le(bytes, 0x38, 8);
    bool renamed = false;
    for (uint64_t entry = tableAt; entry + 50 <= tableAt + tableSize; entry += 50) {
        if (!(static_cast<unsigned char>(bytes[entry + 7]) & 2)) continue;  // not a metadata resource
        const uint64_t size = le(bytes, entry, 7), at = le(bytes, entry + 8, 8);
        std::string metadata = bytes.substr(at, size);
        const size_t name = metadata.find(fromBytes);
        if (name == std::string::npos) continue;
        metadata.replace(name, toBytes.size(), toBytes);
        bytes.replace(at, size, metadata);
        const std::string scratch = wim + ".metadata";
        std::ofstream(scratch, std::ios::binary) << metadata;
        const std::string hex = RunCommand("sha1sum '" + scratch + "'");
        fs::remove(scratch);
        for (int i = 0; i < 20; ++i) bytes[entry + 30 + i] = static_cast<char>(std::stoi(hex.substr(i * 2, 2), nullptr, 16));
        renamed = true;
    }
    ASSERT_TRUE(renamed) << wim;
    std::ofstream(wim, std::ios::binary | std::ios::trunc) << bytes;
}

struct CraftedBackupTest : RestoreFixture {
    CraftedBackupTest() : RestoreFixture(QXFM_PROTOCOL_EXTENDED) {}  // the items not made are named
    // An image of a tree whose folder Media links five levels up, from where
    // the restore will put it: C:\Restore\System Recovery Files\<date>\C\Media
    // reaches C:\elsewhere. Split in two parts, with a catalog naming them.
    void MakeBackup() {
        const std::string src = TempRoot() + "/src";
        fs::create_directories(src + "/Docs");
        WriteHostFile(src + "/Docs/a.doc", "restored doc");
        WriteHostFile(src + "/Docs/filler1.doc", NoiseBytes(700000, 1));
        WriteHostFile(src + "/Docs/filler2.doc", NoiseBytes(700000, 2));
        fs::create_directory_symlink("../../../../../elsewhere", src + "/Media");
        const std::string backup = drives.Root('D') + "/Evil";
        fs::create_directories(backup);
        int status = 0;
        std::string out = RunCommand("wimlib-imagex capture '" + src + "' '" + backup + "/whole.wim' --compress=none"
                                     " --norpfix && wimlib-imagex split '" + backup + "/whole.wim' '" + backup +
                                     "/Image.swm' 1 && rm '" + backup + "/whole.wim'", &status);
        ASSERT_EQ(0, status) << out;
        ASSERT_TRUE(HostExists(backup + "/Image2.swm")) << out;

        CQXSerialization catalog;
        AddDocumentsImage(catalog, u"C:\\");
        FileNode big;
        big.suszPath = u"C:\\Media\\film.avi";
        big.splitPathArray = {u"C:\\Media\\film.avi.000"};
        big.size = 4;
        big.Category = u"DOCUMENTS";
        big.IndexofImage = {1};
        catalog.m_arBigFile.push_back(big);
        catalog.m_bigFileTotalSize = 4;
        // A restored file whose shortcut would go through the link.
        catalog.m_OverLengthFileList[u"C:\\Docs\\a.doc"] = u"C:\\Media\\sub\\a.doc";
        catalog.m_serializationData->simageList = {u"D:\\Evil\\Image.swm", u"D:\\Evil\\Image2.swm"};
        ASSERT_TRUE(catalog.Save(u"D:\\Evil"));
    }
};

TEST_F(CraftedBackupTest, ALinkInTheImageLeadsNothingOutsideTheRestoreFolder) {
    drives.Write(u"C:\\elsewhere\\film.avi.000", "evil");
    drives.Write(u"C:\\elsewhere\\film.avi", "the user's own file");
    MakeBackup();
    const std::vector<std::string> before = Outside();

    EXPECT_EQ(1, Restore(u"D:\\Evil", {u"Documents"}));
    auto posted = host.Drain();
    EXPECT_EQ(before, Outside());

    // The rest of the restore went on.
    std::string root = RestoreRoot();
    EXPECT_EQ("restored doc", ReadHostFile(root + "/C/Docs/a.doc"));
    EXPECT_EQ(fs::file_type::symlink, fs::symlink_status(root + "/C/Media").type());
    EXPECT_TRUE(FilesBelow(root, ".lnk").empty());

    // Each refused entry is reported with the link it met and its tag.
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_BIGFILES_MERGE_FAILED));
    EXPECT_TRUE(HasCode(posted, host.errorStr, MSG_ERROR_CREATE_DIRECTORY_FAILED));
    // The big file and the shortcut's folder.
    EXPECT_EQ(2u, Logged("\\C\\Media is a link or mount point (reparse tag 0xA000000C)"));
}

// An image made with UNIX data of a tree that asks for privileges: a
// set-user-ID and set-group-ID program of root, a set-group-ID folder of
// another user, a sticky world-writable folder, a program with a file
// capability and a device node open to everyone. Restored by root, none of it
// keeps a privilege; owners, ordinary modes and DOS attributes come back.
TEST_F(CraftedBackupTest, NoRestoredItemKeepsAPrivilegeTheImageAsksFor) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make and apply such an image";
    const std::string src = drives.Root('C') + "/src";
    drives.Write(u"C:\\src\\Docs\\tool.doc", "tool");
    drives.Write(u"C:\\src\\Docs\\plain.doc", "plain");
    drives.Write(u"C:\\src\\Docs\\hidden.doc", "hidden");
    drives.Write(u"C:\\src\\Docs\\cap.doc", "cap");
    drives.Write(u"C:\\src\\Shared\\note.doc", "note");
    fs::create_directories(src + "/Drop");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\src\\Docs\\hidden.doc", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(u"C:\\src\\Shared", FILE_ATTRIBUTE_HIDDEN));
    int status = 0;
    std::string out = RunCommand("cd '" + src + "' && chmod 6755 Docs/tool.doc && chmod 640 Docs/plain.doc"
                                 " && chown 1234:1234 Shared && chmod 2775 Shared && chmod 1777 Drop"
                                 " && setcap cap_net_raw+ep Docs/cap.doc && mknod Docs/disk c 1 3 && chmod 666 Docs/disk",
                                 &status);
    ASSERT_EQ(0, status) << out;
    const std::string backup = drives.Root('D') + "/Evil";
    fs::create_directories(backup);
    out = RunCommand("wimlib-imagex capture '" + src + "' '" + backup + "/whole.wim' --unix-data --compress=none"
                     " && wimlib-imagex split '" + backup + "/whole.wim' '" + backup + "/Image.swm' 1 && rm '" +
                     backup + "/whole.wim'", &status);
    ASSERT_EQ(0, status) << out;
    CQXSerialization catalog;
    AddDocumentsImage(catalog, u"C:\\");
    catalog.m_serializationData->simageList = {u"D:\\Evil\\Image.swm"};
    ASSERT_TRUE(catalog.Save(u"D:\\Evil"));

    EXPECT_EQ(0, Restore(u"D:\\Evil", {u"Documents"}));
    const std::string root = RestoreRoot() + "/C";
    for (const auto& entry : fs::recursive_directory_iterator(RestoreRoot())) {
        struct stat st;
        ASSERT_EQ(0, lstat(entry.path().c_str(), &st)) << entry.path();
        EXPECT_EQ(0u, st.st_mode & (S_ISUID | S_ISGID)) << entry.path();
        if (S_ISDIR(st.st_mode)) {
            EXPECT_EQ(0u, st.st_mode & S_ISVTX) << entry.path();
        }
    }
    const auto modeOf = [](const std::string& path) {
        struct stat st {};
        EXPECT_EQ(0, lstat(path.c_str(), &st)) << path;
        return st;
    };
    EXPECT_EQ(0755u, modeOf(root + "/Docs/tool.doc").st_mode & 07777);
    EXPECT_EQ(0u, modeOf(root + "/Docs/tool.doc").st_uid);
    EXPECT_EQ(0640u, modeOf(root + "/Docs/plain.doc").st_mode & 07777);
    EXPECT_EQ(0775u, modeOf(root + "/Shared").st_mode & 07777);
    EXPECT_EQ(1234u, modeOf(root + "/Shared").st_uid);
    EXPECT_EQ(0777u, modeOf(root + "/Drop").st_mode & 07777);
    EXPECT_TRUE(S_ISCHR(modeOf(root + "/Docs/disk").st_mode));
    EXPECT_EQ(0u, modeOf(root + "/Docs/disk").st_mode & 07777);
    EXPECT_EQ(-1, getxattr((root + "/Docs/cap.doc").c_str(), "security.capability", nullptr, 0));
    EXPECT_EQ(ENODATA, errno);
    EXPECT_EQ("note", ReadHostFile(root + "/Shared/note.doc"));
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              GetFileAttributesW(QxFromHostPath(root + "/Docs/hidden.doc")));
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN), GetFileAttributesW(QxFromHostPath(root + "/Shared")));
}

// Names a Windows tool may store and this system cannot make: one holding a
// '/', and one of 251 CJK characters whose 753 UTF-8 bytes pass the host's
// limit of 255. Each is named as not restored, the rest of the image comes
// back, and the result says the restore is not complete.
TEST_F(CraftedBackupTest, ANameTheSystemCannotMakeIsNamedAndTheRestRestores) {
    const std::string src = TempRoot() + "/src";
    const std::u16string longFrom = std::u16string(251, u'L') + u".doc", longTo = std::u16string(251, u'\u6587') + u".doc";
    WriteHostFile(src + "/Docs/keep.doc", "kept");
    WriteHostFile(src + "/Docs/XXXXXXXX.doc", "slash");
    WriteHostFile(src + "/Docs/" + CString(longFrom.c_str()).ToUtf8(), "long");
    const std::string backup = drives.Root('D') + "/Evil";
    fs::create_directories(backup);
    int status = 0;
    const std::string out = RunCommand("wimlib-imagex capture '" + src + "' '" + backup + "/Image.wim' --compress=none",
                                       &status);
    ASSERT_EQ(0, status) << out;
    RenameInImage(backup + "/Image.wim", u"XXXXXXXX.doc", u"abc/defg.doc");
    RenameInImage(backup + "/Image.wim", longFrom, longTo);
    CQXSerialization catalog;
    AddDocumentsImage(catalog, u"C:\\");
    catalog.m_serializationData->simageList = {u"D:\\Evil\\Image.wim"};
    ASSERT_TRUE(catalog.Save(u"D:\\Evil"));
    const std::vector<std::string> before = Outside();

    EXPECT_EQ(1, Restore(u"D:\\Evil", {u"Documents"}));
    const std::vector<Posted> posted = host.Drain();
    EXPECT_EQ(before, Outside());
    const std::string root = RestoreRoot();
    EXPECT_EQ(std::vector<std::string>{root + "/C/Docs/keep.doc"}, FilesBelow(root, ".doc"));
    EXPECT_EQ("kept", ReadHostFile(root + "/C/Docs/keep.doc"));

    const CString docs = QxFromHostPath(root + "/C/Docs");
    std::vector<CString> named;
    for (const Posted& p : posted)
        if (p.message == host.errorStr && p.wParam == MSG_ERROR_WIM_MSG_ERROR) named.push_back(p.text);
    EXPECT_EQ((std::vector<CString>{docs + u"\\abc\\defg.doc", docs + u"\\" + CString(longTo.c_str())}), named);
    EXPECT_TRUE(HasCode(posted, host.errorStr, ERROR_INVALID_NAME));
    EXPECT_TRUE(HasCode(posted, host.errorStr, ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(HasCode(posted, host.errorStr, MSG_ERROR_WIM_RESTOR_FAILED));
    // The list of restored files names the one restored.
    const std::vector<CString> lines = ReadUtf16Lines(root + "/SourceFileList.log");
    EXPECT_EQ(1, std::count_if(lines.begin(), lines.end(), [](const CString& l) { return l.Find(u".DOC") >= 0; }));
}

}  // namespace
