// Shell link files: saved by IPersistFile::Save, checked byte by byte, read
// back by lnkinfo and by Load.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

#include "shlobj.h"
#include "run_command.h"
#include "testhost.h"

namespace {

using qxtest::TestDrives;

// The shell link object with both interfaces, on an initialised thread.
class ShellLinkObject {
public:
    ShellLinkObject() {
        m_init = CoInitialize(nullptr);
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                         reinterpret_cast<void**>(&link));
        if (link) link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    }
    ~ShellLinkObject() {
        if (file) file->Release();
        if (link) link->Release();
        if (SUCCEEDED(m_init)) CoUninitialize();
    }
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;

private:
    HRESULT m_init;
};

// lnkinfo's "Name : value" lines.
std::map<std::string, std::string> LnkInfo(const std::string& hostPath) {
    std::map<std::string, std::string> fields;
    int status = -1;
    std::istringstream lines(qxtest::RunCommand("lnkinfo '" + hostPath + "'", &status));
    EXPECT_EQ(0, status) << "lnkinfo (package liblnk-utils) failed on " << hostPath;
    for (std::string text; std::getline(lines, text);) {
        size_t colon = text.find(':');
        if (colon == std::string::npos) continue;
        std::string key = text.substr(0, colon);
        key.erase(0, key.find_first_not_of(" \t"));
        key.erase(key.find_last_not_of(" \t") + 1);
        std::string value = text.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        value.erase(value.find_last_not_of("\r") + 1);
        fields[key] = value;
    }
    return fields;
}

DWORD U32At(const std::string& bytes, size_t offset) {
    DWORD v = 0;
    memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

TEST(ShellLink, SavedFileHasTheDocumentedHeader) {
    TestDrives drives({"C"});
    const CString target = u"C:\\Users\\me\\Donn\u00e9es\\report.txt";
    drives.Write(target, "hello");
    std::filesystem::create_directories(drives.Host(u"C:\\Restore\\Users\\me\\Donn\u00e9es"));
    const CString linkPath = u"C:\\Restore\\Users\\me\\Donn\u00e9es\\report.lnk";

    ShellLinkObject object;
    ASSERT_NE(object.file, nullptr);
    EXPECT_EQ(object.link->SetPath(target), S_OK);
    EXPECT_EQ(object.link->SetDescription(u"File backup Shortcut"), S_OK);
    EXPECT_EQ(object.link->SetWorkingDirectory(u"C:\\Users\\me"), S_OK);
    ASSERT_EQ(object.file->Save(linkPath, TRUE), S_OK);

    std::string bytes = qxtest::ReadHostFile(drives.Host(linkPath));
    ASSERT_GE(bytes.size(), 76u);
    EXPECT_EQ(U32At(bytes, 0), 0x4Cu);
    const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    EXPECT_EQ(memcmp(bytes.data() + 4, clsid, 16), 0);
    // HasLinkInfo | HasName | HasRelativePath | HasWorkingDir | IsUnicode
    EXPECT_EQ(U32At(bytes, 20), 0x9Eu);
    EXPECT_EQ(U32At(bytes, 24), GetFileAttributesW(target));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(target, GetFileExInfoStandard, &data));
    EXPECT_EQ(U32At(bytes, 44), data.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(U32At(bytes, 48), data.ftLastWriteTime.dwHighDateTime);
    EXPECT_EQ(U32At(bytes, 52), 5u);  // file size
    EXPECT_EQ(U32At(bytes, 60), 1u);  // shown normally
    EXPECT_EQ(U32At(bytes, bytes.size() - 4), 0u);  // terminal block

    auto info = LnkInfo(drives.Host(linkPath));
    EXPECT_EQ(info["Local path"], "C:\\Users\\me\\Donn\xc3\xa9" "es\\report.txt");
    EXPECT_EQ(info["Description"], "File backup Shortcut");
    EXPECT_EQ(info["Relative path"], "..\\..\\..\\..\\Users\\me\\Donn\xc3\xa9" "es\\report.txt");
    EXPECT_EQ(info["Working directory"], "C:\\Users\\me");
    EXPECT_EQ(info["File size"], "5 bytes");
    EXPECT_NE(info["Drive type"].find("Fixed"), std::string::npos);
}

TEST(ShellLink, TargetOnAnotherDriveHasNoRelativePath) {
    TestDrives drives({"C", "D,removable"});
    drives.Write(u"D:\\photos\\cat.jpg", "jpeg");
    ShellLinkObject object;
    ASSERT_NE(object.file, nullptr);
    object.link->SetPath(u"D:\\photos\\cat.jpg");
    object.link->SetDescription(u"");
    ASSERT_EQ(object.file->Save(u"C:\\cat.lnk", TRUE), S_OK);

    std::string bytes = qxtest::ReadHostFile(drives.Host(u"C:\\cat.lnk"));
    ASSERT_GE(bytes.size(), 76u);
    EXPECT_EQ(U32At(bytes, 20), 0x82u);  // HasLinkInfo | IsUnicode: no empty description
    auto info = LnkInfo(drives.Host(u"C:\\cat.lnk"));
    EXPECT_EQ(info["Local path"], "D:\\photos\\cat.jpg");
    EXPECT_NE(info["Drive type"].find("Removable"), std::string::npos);
    EXPECT_EQ(info.count("Relative path"), 0u);
    EXPECT_EQ(info.count("Description"), 0u);
}

TEST(ShellLink, LoadReadsBackWhatSaveWrote) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\a\\b\\file.txt", "x");
    {
        ShellLinkObject object;
        ASSERT_NE(object.file, nullptr);
        object.link->SetPath(u"C:\\a\\b\\file.txt");
        object.link->SetDescription(u"File backup Shortcut");
        ASSERT_EQ(object.file->Save(u"C:\\a\\file.lnk", TRUE), S_OK);
    }
    EXPECT_EQ(LnkInfo(drives.Host(u"C:\\a\\file.lnk"))["Relative path"], ".\\b\\file.txt");
    ShellLinkObject object;
    ASSERT_NE(object.file, nullptr);
    ASSERT_EQ(object.file->Load(u"C:\\a\\file.lnk", STGM_READ), S_OK);
    WCHAR path[MAX_PATH];
    WIN32_FIND_DATAW found;
    EXPECT_EQ(object.link->GetPath(path, MAX_PATH, &found, 0), S_OK);
    EXPECT_EQ(CString(path), u"C:\\a\\b\\file.txt");
    EXPECT_EQ(CString(found.cFileName), u"file.txt");
    EXPECT_EQ(found.nFileSizeLow, 1u);
    WCHAR description[8];
    EXPECT_EQ(object.link->GetDescription(description, 8), S_OK);
    EXPECT_EQ(CString(description), u"File ba");  // cut to the buffer

    drives.Write(u"C:\\a\\not-a-link.lnk", std::string(100, 'x'));
    EXPECT_TRUE(FAILED(object.file->Load(u"C:\\a\\not-a-link.lnk", STGM_READ)));
    EXPECT_EQ(object.file->Load(u"C:\\a\\missing.lnk", STGM_READ), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST(ShellLink, SaveReportsTheSystemError) {
    TestDrives drives({"C"});
    drives.Write(u"C:\\file.txt", "x");
    ShellLinkObject object;
    ASSERT_NE(object.file, nullptr);
    object.link->SetPath(u"C:\\file.txt");
    EXPECT_EQ(object.file->Save(u"C:\\missing\\file.lnk", TRUE), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(qxtest::HostExists(drives.Host(u"C:\\missing")));
    EXPECT_EQ(object.file->Save(nullptr, TRUE), E_INVALIDARG);  // nothing remembered yet
    EXPECT_EQ(object.link->SetPath(nullptr), E_INVALIDARG);
}

}  // namespace
