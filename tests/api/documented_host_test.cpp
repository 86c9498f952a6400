// A host written from the module's documentation alone: it registers the four
// message names itself, reads wParam and lParam by the documented tables and
// frees a string only where they document one. Never asking for a protocol it
// sees the documented one; asking for the extended one, it sees that.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "testhost.h"
#include "wimgapi.h"

using namespace qxtest;
namespace fs = std::filesystem;

namespace {

const ULONGLONG kMiB = 1048576;

// One notification as the host read it.
struct Note {
    char kind;  // 'I' progress, 'S' current file, 'O' operation, 'E' error
    long long w = 0, l = 0;
    CString text;  // the documented string payload (freed), or the constant text of a wParam
};

class DocumentedHost {
public:
    explicit DocumentedHost(bool extended) : m_extended(extended) {
        m_progressInt = RegisterWindowMessageW(u"ProgressIntMessage");
        m_progressStr = RegisterWindowMessageW(u"ProgressStrMessage");
        m_operationStr = RegisterWindowMessageW(u"OperationStrMessage");
        m_errorStr = RegisterWindowMessageW(u"ErrorStrMessage");
        m_window = CreateHostWindow(&m_delivered);
    }
    ~DocumentedHost() {
        Drain();
        DestroyWindow(m_window);
    }
    HWND* handle() { return &m_window; }

    std::vector<Note> Drain() {
        std::vector<MSG> messages;
        messages.swap(m_delivered);
        for (MSG msg; PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE);) messages.push_back(msg);
        std::vector<Note> notes;
        for (const MSG& msg : messages) {
            Note n{'?', static_cast<long long>(static_cast<LONG_PTR>(msg.wParam)), static_cast<long long>(msg.lParam),
                   CString()};
            if (msg.message == m_progressInt) {
                n.kind = 'I';
            } else if (msg.message == m_progressStr) {
                n.kind = 'S';
                n.text = TakeString(msg.wParam);
            } else if (msg.message == m_operationStr || msg.message == m_errorStr) {
                n.kind = msg.message == m_operationStr ? 'O' : 'E';
                if (n.w > 0xFFFF || n.w < -0xFFFF) n.text = reinterpret_cast<const WCHAR*>(msg.wParam);  // a constant text
                else if (CarriesString(n.kind, n.w) && msg.lParam) n.text = TakeString(msg.lParam);
            }
            notes.push_back(n);
        }
        return notes;
    }

private:
    // Code 16, -224, -226, -249 and -251 carry a path; the extended protocol
    // adds 22, -234, -235, -239, -240 and -242.
    bool CarriesString(char kind, long long code) const {
        if (kind == 'O') return code == 16 || (m_extended && code == QXFM_OPERATION_RESTORE_FOLDER);
        static const std::set<long long> documented{-224, -226, -249, -251}, extended{-234, -235, -239, -240, -242};
        return documented.count(code) || (m_extended && extended.count(code));
    }
    static CString TakeString(WPARAM value) {
        BSTR text = reinterpret_cast<BSTR>(value);
        CString out(text);
        SysFreeString(text);
        return out;
    }

    bool m_extended;
    UINT m_progressInt = 0, m_progressStr = 0, m_operationStr = 0, m_errorStr = 0;
    HWND m_window = nullptr;
    std::vector<MSG> m_delivered;
};

std::vector<long long> Of(const std::vector<Note>& notes, char kind) {
    std::vector<long long> codes;
    for (const Note& n : notes)
        if (n.kind == kind) codes.push_back(n.w);
    return codes;
}
const Note* Find(const std::vector<Note>& notes, char kind, long long code) {
    for (const Note& n : notes)
        if (n.kind == kind && n.w == code) return &n;
    return nullptr;
}

// The host's run: scan, backup, raw backup, restore and delete, each checked
// against the protocol the host asked for (none: the documented one).
class HostRun : public ::testing::TestWithParam<bool> {
protected:
    HostRun() : module(GetParam() ? QXFM_PROTOCOL_EXTENDED : Module::kAsksNothing), host(GetParam()) {}

    bool Extended() const { return GetParam(); }
    // Every error's lParam as documented: a path string for -224 and the
    // like, the system error code for -235, 0 for every other code.
    void ExpectDocumentedErrorPayloads(const std::vector<Note>& notes, long long errorOf235) const {
        if (Extended()) return;
        for (const Note& n : notes) {
            if (n.kind != 'E' || n.w == -224 || n.w == -226 || n.w == -249 || n.w == -251) continue;
            EXPECT_EQ(n.w == -235 ? errorOf235 : 0, n.l) << "error " << n.w;
            EXPECT_TRUE(n.text.IsEmpty()) << "error " << n.w;
        }
    }

    TestDrives drives{{"C", "D"}};
    Module module;
    DocumentedHost host;
    std::vector<CString> categories{u"Documents", u"Video"};
};

TEST_P(HostRun, SeesTheProtocolItAskedFor) {
    if (!ImageEngineMissing().empty()) GTEST_SKIP() << ImageEngineMissing();
    const CString report = u"C:\\Users\\ann\\Documents\\report.doc", film = u"C:\\Users\\ann\\Videos\\film.avi";
    const CString bad = CString::FromUtf8("C:\\Users\\ann\\Documents\\bad\xff.doc");
    drives.Write(u"C:\\types.txt", "[Documents]\r\ndoc\r\n[Video]\r\navi\r\n");
    drives.Write(report, "quarterly report");
    WriteHostFile(drives.Root('C') + "/Users/ann/Documents/bad\xff.doc", "not UTF-8");
    WriteHostFile(drives.Root('C') + "/Users/ann/Documents/Back\\slash.doc", "no path names it");
    drives.Write(film, "");
    fs::resize_file(drives.Host(film), 101 * kMiB);  // larger than the part size: the split fails

    // Scan: start, the folder, the files, 100 %, end; -238 only to a host that asked for it.
    ULONGLONG count = 0;
    ASSERT_EQ(0, module.ScanFileArraySizeByPredefinedType(host.handle(), u"C:\\Users\\ann", u"C:\\types.txt",
                                                          &categories, &count, nullptr));
    std::vector<Note> notes = host.Drain();
    EXPECT_EQ(3u, count);
    EXPECT_EQ(Of(notes, 'O'), (std::vector<long long>{1, 16, 2}));
    EXPECT_EQ(CString(u"C:\\Users\\ann\\"), Find(notes, 'O', 16)->text);
    EXPECT_EQ(Of(notes, 'E'), Extended() ? std::vector<long long>{-238} : std::vector<long long>{});
    EXPECT_EQ(3u, Of(notes, 'S').size());
    ASSERT_FALSE(Of(notes, 'I').empty());
    EXPECT_EQ(100, Of(notes, 'I').back());
    std::vector<CString> files;
    files.reserve(static_cast<size_t>(count));
    ULONGLONG total = 0;
    ASSERT_EQ(0, module.GetFileArrayByPredefinedType(&files, &total));

    // Backup: a file left out and a split that failed; the image is kept.
    std::vector<CString> images;
    images.reserve(4);
    EXPECT_EQ(Extended() ? QXFM_BACKUP_NOT_SPLIT | QXFM_BACKUP_FILES_LEFT_OUT : 1,
              module.Backup(host.handle(), &files, u"C:\\types.txt", &categories, u"D:\\Backups", u"Monday", FALSE,
                            100, WIM_COMPRESS_NONE, &images, nullptr));
    notes = host.Drain();
    // The extended protocol also tells the bytes to store (20) before the
    // captures, then how many listed files were stored (19) and their bytes (21).
    const std::vector<long long> operations = Extended() ? std::vector<long long>{5, 20, 6, 7, 6, 7, 19, 21, 8}
                                                         : std::vector<long long>{5, 6, 7, 6, 7, 8};
    EXPECT_EQ(Of(notes, 'O'), operations);
    if (Extended()) {
        const long long stored = static_cast<long long>(std::string("quarterly report").size() + 101 * kMiB);
        // The file whose name the image cannot hold was to be stored, and was left out.
        const long long leftOut = static_cast<long long>(std::string("not UTF-8").size());
        EXPECT_EQ(stored + leftOut, Find(notes, 'O', QXFM_OPERATION_BYTES_TO_STORE)->l);
        EXPECT_EQ(stored, Find(notes, 'O', QXFM_OPERATION_BYTES_STORED)->l);
    }
    EXPECT_EQ(Of(notes, 'E'), (std::vector<long long>{ERROR_NO_UNICODE_TRANSLATION, -235, -234}));
    ExpectDocumentedErrorPayloads(notes, ERROR_NO_UNICODE_TRANSLATION);
    if (Extended()) {
        EXPECT_EQ(bad, Find(notes, 'E', -235)->text);
        EXPECT_EQ(film, Find(notes, 'E', -234)->text);
    }
    EXPECT_EQ(images, std::vector<CString>{u"D:\\Backups\\Monday.wim"});
    EXPECT_EQ(0, module.IsDataValid(u"D:\\Backups"));
    EXPECT_EQ(Of(host.Drain(), 'O'), (std::vector<long long>{13, 14}));
    const std::string log = ReadHostFile(drives.WorkDir() + "/Dbg.log");
    EXPECT_EQ(!Extended(), log.find("Backup result 1") != std::string::npos);
    EXPECT_EQ(std::string::npos, log.find("D:\\Backups\\Monday.incomplete"));

    // Raw backup: a missing file (-239) and one whose name no path can hold (-240).
    const CString gone = u"C:\\Users\\ann\\Documents\\gone.doc", colon = u"C:\\raw\\at 10:30.txt";
    WriteHostFile(drives.Root('C') + "/raw/at 10:30.txt", "colon");
    std::vector<CString> raw{report, gone, colon};
    EXPECT_EQ(1, module.BackupRaw(host.handle(), &raw, u"D:\\Raw", nullptr));
    notes = host.Drain();
    EXPECT_EQ(Of(notes, 'O'), std::vector<long long>{9});
    EXPECT_EQ(Of(notes, 'E'), (std::vector<long long>{-239, -240, -237}));
    ExpectDocumentedErrorPayloads(notes, 0);
    if (Extended()) {
        EXPECT_EQ(gone, Find(notes, 'E', -239)->text);
        EXPECT_EQ(colon, Find(notes, 'E', -240)->text);
    }

    // Restore: start, one pair, 100 % of the apply, end.
    std::vector<CString> documents{u"Documents"};
    EXPECT_EQ(0, module.Restore(host.handle(), u"D:\\Backups", &documents, u"C:\\Restore", nullptr));
    notes = host.Drain();
    // The extended protocol names the dated folder the restore made (22).
    const std::vector<long long> restoreNotes =
        Extended() ? std::vector<long long>{11, 22, 12, 12} : std::vector<long long>{11, 12, 12};
    EXPECT_EQ(Of(notes, 'O'), restoreNotes);
    if (Extended()) {
        const CString folder = Find(notes, 'O', QXFM_OPERATION_RESTORE_FOLDER)->text;
        EXPECT_EQ(0, folder.Find(u"C:\\Restore\\System Recovery Files\\")) << folder;
    }
    EXPECT_TRUE(Of(notes, 'E').empty());
    EXPECT_EQ(1u, FilesBelow(drives.Root('C') + "/Restore", "report.doc").size());

    // A restore refused while another process holds the lock goes to the
    // window stored before, which stays the one every later notice goes to.
    {
        OtherProcessLock other;
        ASSERT_TRUE(other.holding());
        DocumentedHost second(Extended());
        EXPECT_EQ(1, module.Restore(second.handle(), u"D:\\Backups", &documents, u"C:\\Restore", nullptr));
        EXPECT_TRUE(second.Drain().empty());
        EXPECT_EQ(Of(host.Drain(), 'E'), std::vector<long long>{-229});
    }

    // Delete: nothing posted for a folder; a drive root is refused with its path.
    EXPECT_EQ(0, module.DeleteFolder(u"C:\\Restore"));
    EXPECT_FALSE(HostExists(drives.Root('C') + "/Restore"));
    EXPECT_EQ(1, module.DeleteFolder(u"C:\\"));
    notes = host.Drain();
    EXPECT_EQ(Of(notes, 'E'), std::vector<long long>{-224});
    EXPECT_EQ(CString(u"C:\\"), Find(notes, 'E', -224)->text);
}

INSTANTIATE_TEST_SUITE_P(Protocol, HostRun, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Extended" : "Documented";
                         });

}  // namespace
