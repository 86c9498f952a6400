// The folder walk on a tree deeper than any path the system takes whole (made
// level by level with openat: Linux only), on a small stack.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include "folder_scan_fixture.h"

using namespace qxtest;

namespace {

// Creates depth nested folders "d" below host folder root and a file at the bottom.
void MakeDeepTree(const std::string& root, int depth, const char* fileName) {
    int dir = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dir, 0);
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(0, mkdirat(dir, "d", 0755));
        int next = openat(dir, "d", O_RDONLY | O_DIRECTORY);
        close(dir);
        ASSERT_GE(next, 0);
        dir = next;
    }
    int file = openat(dir, fileName, O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(file, 0);
    close(file);
    close(dir);
}

// Runs job on a thread with a small stack: a walk that recursed once per
// folder level would overflow it long before the bottom of a deep tree.
template <typename Job>
void OnSmallStack(Job job) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    ASSERT_EQ(0, pthread_attr_setstacksize(&attr, 128 * 1024));
    pthread_t thread;
    auto run = [](void* arg) -> void* {
        (*static_cast<Job*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(0, pthread_create(&thread, &attr, run, &job));
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

TEST_F(FolderScanTest, VeryDeepTreeIsWalkedWithoutRecursion) {
    const int depth = 1200;
    MakeDeepTree(drives.Root('C'), depth, "bottom.doc");
    CString expected = u"C:";
    for (int i = 0; i < depth; ++i) expected += u"\\d";
    expected += u"\\bottom.doc";
    g_pHostWnd = nullptr;
    bool collected = false, probed = false;
    Paths probeResult;
    OnSmallStack([&] {
        collected = Collect(u"C:\\", {u"DOC"});
        const Paths patterns{u"DOC"};
        probed = ScanFolder(u"C:\\", &patterns, 0, nullptr, &probeResult, nullptr);
    });
    EXPECT_TRUE(collected);
    EXPECT_EQ((Paths{expected}), result);
    EXPECT_TRUE(probed);
    EXPECT_EQ((Paths{expected}), probeResult);
}

}  // namespace
