// The test's drives as plain folders: a drive path "C:\a" stands for
// "<temporary folder>\drive_C\a", which is what the module is given.
#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "testhost.h"
#include "windows.h"

namespace fs = std::filesystem;

namespace qxtest {
namespace {

const WCHAR kLongPrefix[] = u"\\\\?\\";

bool HasLongPrefix(const CString& path) { return path.Left(4) == kLongPrefix; }

// A full path ("X:\a\b") with each level spelled as its folder lists it: the
// module copies names as on disk, while GetTempPathW may spell the temporary
// folder otherwise (another case, short names).
CString SpelledOnDisk(const CString& path) {
    CString out = path.Left(2);
    int at = 3;
    while (at <= path.GetLength()) {
        int end = path.Find(u'\\', at);
        if (end < 0) end = path.GetLength();
        CString name = path.Mid(at, end - at);
        WIN32_FIND_DATAW found;
        const HANDLE find = FindFirstFileW(out + u"\\" + name, &found);
        if (find != INVALID_HANDLE_VALUE) {
            name = found.cFileName;
            FindClose(find);
        }
        out += u"\\" + name;
        at = end + 1;
    }
    return out;
}

}  // namespace

CString WindowsPathOf(const std::string& hostPath) {
    CString path = CString::FromUtf8(hostPath);
    path.Replace(u'/', u'\\');
    return path;
}

TestDrives::TestDrives(const std::vector<std::string>& drives) {
    for (const std::string& d : drives) {
        const char letter = static_cast<char>(toupper(static_cast<unsigned char>(d[0])));
        const std::string root = m_tmp.path() + "\\drive_" + letter;
        fs::create_directories(fs::u8path(root));
        m_roots.emplace_back(letter, root);
    }
    m_work = m_tmp.path() + "\\work";
    fs::create_directories(fs::u8path(m_work));
    WCHAR cwd[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, cwd);
    if (n > 0 && n < MAX_PATH) m_oldCwd = CString(cwd, static_cast<int>(n)).ToUtf8();
    if (!SetCurrentDirectoryW(CString::FromUtf8(m_work))) throw std::runtime_error("cannot enter " + m_work);
}

TestDrives::~TestDrives() {
    if (!m_oldCwd.empty()) SetCurrentDirectoryW(CString::FromUtf8(m_oldCwd));
}

// A path already inside the test's folders (a Path() given back) and one on
// another drive stay as they are.
CString TestDrives::Path(const CString& drivePath) const {
    const int at = HasLongPrefix(drivePath) ? 4 : 0;
    if (drivePath.GetLength() < at + 2 || drivePath[at + 1] != u':') return drivePath;
    const CString tmp = CString::FromUtf8(m_tmp.path());
    if (drivePath.Mid(at, tmp.GetLength()).CompareNoCase(tmp) == 0) return drivePath;
    const char letter = static_cast<char>(toupper(drivePath[at]));
    for (const auto& root : m_roots)
        if (root.first == letter) return drivePath.Left(at) + CString::FromUtf8(root.second) + drivePath.Mid(at + 2);
    return drivePath;  // not a test drive: a drive of the system, or none
}

int TestDrives::FolderLevels(char letter) const {
    const std::string root = Root(letter);
    return static_cast<int>(std::count(root.begin(), root.end(), '\\'));
}

std::string TestDrives::DriveRootOf(char letter) const { return Root(letter).substr(0, 3); }

std::string TestDrives::RawCopyPlace(const CString& drivePath) const {
    CString path = Path(drivePath);
    if (HasLongPrefix(path)) path = path.Mid(4);
    for (const auto& root : m_roots) {
        const CString folder = CString::FromUtf8(root.second);
        const int n = folder.GetLength();
        if (path.Left(n).CompareNoCase(folder) == 0 && (path.GetLength() == n || path[n] == u'\\')) {
            path = SpelledOnDisk(folder) + path.Mid(n);
            break;
        }
    }
    CString place = CString(static_cast<WCHAR>(toupper(path[0]))) + path.Mid(2);
    place.Replace(u'\\', u'/');
    place.TrimRight(u'/');
    return place.ToUtf8();
}

std::string TestDrives::Host(const CString& drivePath) const {
    CString path = Path(drivePath);
    if (HasLongPrefix(path)) path = path.Mid(4);
    while (path.GetLength() > 3 && path[path.GetLength() - 1] == u'\\') path = path.Left(path.GetLength() - 1);
    return path.ToUtf8();
}

}  // namespace qxtest
