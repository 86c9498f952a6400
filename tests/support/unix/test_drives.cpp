// The test's drives as a drive table of the platform over their folders.
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "qxplatform.h"
#include "testhost.h"

namespace fs = std::filesystem;

namespace qxtest {

TestDrives::TestDrives(const std::vector<std::string>& drives) {
    std::string tableText;
    for (const std::string& d : drives) {
        char letter = static_cast<char>(toupper(d[0]));
        std::string root = m_tmp / std::string("drive_") + letter;
        fs::create_directories(root);
        m_roots.emplace_back(letter, root);
        std::string options = d.size() > 1 ? d.substr(1) : "";  // ",removable" ...
        if (!tableText.empty()) tableText += ";";
        tableText += std::string(1, letter) + "=" + root + options;
    }
    m_work = m_tmp / "work";
    fs::create_directories(m_work);
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) m_oldCwd = cwd;
    if (chdir(m_work.c_str()) != 0) throw std::runtime_error("chdir failed");
    if (!QxSetDriveTable(tableText)) throw std::runtime_error("bad drive table " + tableText);
}

TestDrives::~TestDrives() {
    QxSetDriveTable("");
    if (!m_oldCwd.empty() && chdir(m_oldCwd.c_str()) != 0) {
    }
}

CString WindowsPathOf(const std::string& hostPath) { return QxFromHostPath(hostPath); }

CString TestDrives::Path(const CString& drivePath) const { return drivePath; }

int TestDrives::FolderLevels(char) const { return 0; }

std::string TestDrives::DriveRootOf(char letter) const { return Root(letter); }

std::string TestDrives::RawCopyPlace(const CString& drivePath) const {
    std::string p = drivePath.ToUtf8();
    if (p.rfind("\\\\?\\", 0) == 0) p = p.substr(4);
    std::string out(1, static_cast<char>(toupper(static_cast<unsigned char>(p[0]))));
    for (char c : p.substr(2)) out += c == '\\' ? '/' : c;
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

std::string TestDrives::Host(const CString& drivePath) const {
    std::string p = drivePath.ToUtf8();
    if (p.rfind("\\\\?\\", 0) == 0) p = p.substr(4);
    std::string out = Root(p[0]);
    for (char c : p.substr(2)) out += c == '\\' ? '/' : c;
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

}  // namespace qxtest
