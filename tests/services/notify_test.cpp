// Notifications posted to the host window, as the host's message loop sees them.
#include <gtest/gtest.h>

#include "services/notify.h"
#include "testhost.h"

using namespace qxtest;

namespace {

class NotifyTest : public ::testing::Test {
protected:
    void SetUp() override { g_pHostWnd = host.handle(); }
    void TearDown() override { g_pHostWnd = nullptr; }
    HostWindow host;
};

TEST_F(NotifyTest, EachHelperPostsItsMessageWithItsPayload) {
    PostProgress(42, PHASE_CAPTURE);
    PostProgressPath(u"C:\\Users\\a b\\Grüße.txt");
    PostOperation(MSG_OPERATION_BACKUP_START);
    PostOperationPath(MSG_OPERATION_SCAN_DRIVE, u"D:\\");
    PostError(MSG_ERROR_OPERATION_CONFLICT);
    PostErrorPath(MSG_ERROR_DRIVE_INVALID, u"E:\\");
    SetLastError(ERROR_ACCESS_DENIED);
    PostLastSystemError();
    PostErrorText(kQxfmTextNoFileInList);
    PostOperationText(kQxfmTextFileListSizeFailed);

    std::vector<Posted> posted = host.Drain();
    ASSERT_EQ(posted.size(), 9u);
    EXPECT_EQ(posted[0].message, host.progressInt);
    EXPECT_EQ(posted[0].wParam, 42);
    EXPECT_EQ(posted[0].lParam, PHASE_CAPTURE);

    EXPECT_EQ(posted[1].message, host.progressStr);
    EXPECT_TRUE(posted[1].hasText);
    EXPECT_EQ(posted[1].text, CString(u"C:\\Users\\a b\\Grüße.txt"));
    EXPECT_EQ(posted[1].lParam, 0);

    EXPECT_EQ(posted[2].message, host.operationStr);
    EXPECT_EQ(posted[2].wParam, MSG_OPERATION_BACKUP_START);
    EXPECT_EQ(posted[2].lParam, 0);

    EXPECT_EQ(posted[3].message, host.operationStr);
    EXPECT_EQ(posted[3].wParam, MSG_OPERATION_SCAN_DRIVE);
    EXPECT_EQ(posted[3].text, CString(u"D:\\"));

    EXPECT_EQ(posted[4].message, host.errorStr);
    EXPECT_EQ(posted[4].wParam, -229);
    EXPECT_EQ(posted[4].lParam, 0);

    EXPECT_EQ(posted[5].message, host.errorStr);
    EXPECT_EQ(posted[5].wParam, -251);
    EXPECT_EQ(posted[5].text, CString(u"E:\\"));

    EXPECT_EQ(posted[6].message, host.errorStr);
    EXPECT_EQ(posted[6].wParam, ERROR_ACCESS_DENIED);
    EXPECT_EQ(posted[6].lParam, 0);

    EXPECT_EQ(posted[7].message, host.errorStr);
    EXPECT_EQ(posted[7].text, CString(kQxfmTextNoFileInList));
    EXPECT_EQ(posted[8].message, host.operationStr);
    EXPECT_EQ(posted[8].text, CString(kQxfmTextFileListSizeFailed));
}

TEST_F(NotifyTest, HandleIsReadThroughAtEveryPost) {
    HostWindow other;
    HWND saved = *host.handle();
    *host.handle() = *other.handle();
    PostOperation(MSG_OPERATION_RESTORE_START);
    *host.handle() = saved;
    EXPECT_TRUE(host.Drain().empty());
    EXPECT_TRUE(HasCode(other.Drain(), other.operationStr, MSG_OPERATION_RESTORE_START));
}

TEST_F(NotifyTest, NullHostWindowPostsNothing) {
    g_pHostWnd = nullptr;
    PostProgress(100, PHASE_SCAN);
    PostProgressPath(u"C:\\a.txt");
    PostOperation(MSG_OPERATION_AUTO_SELECTION_END);
    PostOperationPath(MSG_OPERATION_SCAN_DRIVE, u"C:\\");
    PostError(MSG_ERROR_SCAN_FOLDER_FAILED);
    PostErrorPath(MSG_ERROR_DRIVE_INFO_FAILED, u"C:\\");
    PostLastSystemError();
    PostErrorText(kQxfmTextNoFileInList);
    NotifyHost(host.errorStr, 1, 2);
    EXPECT_TRUE(host.Drain().empty());
}

// A post to a window that no longer exists fails; the string it would have
// carried is freed by the module (checked for leaks under the sanitizer build).
TEST_F(NotifyTest, FailedPostOfAStringIsHarmless) {
    HWND gone = CreateWindowExW(0, u"STATIC", u"gone", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(DestroyWindow(gone));
    g_pHostWnd = &gone;
    PostProgressPath(u"C:\\a.txt");
    PostErrorPath(MSG_ERROR_PATH_LONGER_THAN_260, u"C:\\b.txt");
    g_pHostWnd = host.handle();
    PostOperation(MSG_OPERATION_RESTORE_END);
    EXPECT_EQ(Codes(host.Drain(), host.operationStr), std::vector<long long>{MSG_OPERATION_RESTORE_END});
}

}  // namespace
