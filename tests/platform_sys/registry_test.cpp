// The registry: values of a key read back by enumeration, whatever their
// names, replaced and deleted, and a namespace of its own per QXFM_NAMESPACE.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "qxplatform.h"

namespace {

std::map<std::u16string, std::u16string> Values(HKEY key) {
    std::map<std::u16string, std::u16string> values;
    WCHAR name[1024];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD length = 1024, bytes = sizeof data, type = 0;
        const LONG result = RegEnumValueW(key, i, name, &length, nullptr, &type, data, &bytes);
        if (result == ERROR_NO_MORE_ITEMS) break;
        EXPECT_EQ(ERROR_SUCCESS, result);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        values[std::u16string(name, length)] = std::u16string(reinterpret_cast<const char16_t*>(data), bytes / 2 - 1);
    }
    return values;
}

void Set(HKEY key, const std::u16string& name, const std::u16string& text) {
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                            static_cast<DWORD>((text.size() + 1) * 2)));
}

HKEY Open(const char16_t* path) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
    return key;
}

}  // namespace

TEST(Registry, ValuesComeBackByNameAndGoWhenDeletedInTheirNamespaceOnly) {
    const std::string folder = "D:\\" + std::string(300, 'x') + "\\";  // longer than a file name
    const std::u16string longName = CString::FromUtf8(folder).str();
    HKEY key = Open(u"Software\\QXFileMgr\\RegistryTest");
    Set(key, u"C:\\Backups\\Monday\\", u"Tarvolen.journal");
    Set(key, longName, u"first");
    Set(key, longName, u"second");
    EXPECT_EQ((std::map<std::u16string, std::u16string>{{u"C:\\Backups\\Monday\\", u"Tarvolen.journal"},
                                                        {longName, u"second"}}),
              Values(key));
    WCHAR small[4];
    DWORD length = 4;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(key, 0, small, &length, nullptr, nullptr, nullptr, nullptr));

    // Another namespace sees none of it.
    const std::string ns = getenv("QXFM_NAMESPACE") ? getenv("QXFM_NAMESPACE") : "";
    setenv("QXFM_NAMESPACE", (ns + "-other").c_str(), 1);
    HKEY other = Open(u"Software\\QXFileMgr\\RegistryTest");
    EXPECT_TRUE(Values(other).empty());
    RegCloseKey(other);
    std::filesystem::remove_all(QxObjectNamespaceDir());  // the key the look made
    setenv("QXFM_NAMESPACE", ns.c_str(), 1);

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, longName.c_str()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(key, longName.c_str()));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, u"C:\\Backups\\Monday\\"));
    EXPECT_TRUE(Values(key).empty());
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}
