// A raw copy of a file whose folder is longer than 260 characters once it is
// placed below the time-stamped folder: the long-path prefix makes the folders.
#include <gtest/gtest.h>

#include "testhost.h"

using namespace qxtest;

TEST(DeepFolderRawCopy, AFileInA248CharacterFolderIsCopied) {
    TestDrives drives{{"C", "D"}};
    Module module;
    HostWindow host;
    CString folder = drives.Path(u"C:\\deep");
    while (folder.GetLength() < 248) folder += u"\\" + CString(u'f', std::min(60, 247 - folder.GetLength()));
    ASSERT_EQ(248, folder.GetLength());
    const CString file = folder + u"\\report.txt";
    drives.Write(file, "deep content");

    std::vector<CString> files = {file};
    EXPECT_EQ(0, module.BackupRaw(host.handle(), &files, drives.Path(u"D:\\raw"), nullptr));
    EXPECT_FALSE(HasCode(host.Drain(), host.errorStr, MSG_ERROR_COPYDATA_FAILED));
    std::vector<std::string> copies = FilesBelow(drives.Root('D') + "/raw", "report.txt");
    ASSERT_EQ(1u, copies.size());
    EXPECT_EQ("deep content", ReadHostFile(copies[0]));
}
