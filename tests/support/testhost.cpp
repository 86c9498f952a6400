// The parts of the test support that are the same on every system.
#include "testhost.h"
#include "tree_listing.h"
#include "wimgapi.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qxtest {
namespace {

void MakeWritable(const fs::path& root) {
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    if (!fs::is_directory(fs::symlink_status(root, ec))) return;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
}

}  // namespace

TempDir::~TempDir() {
    MakeWritable(m_path);
    RemoveHostTree(m_path);
}

RootEntry::~RootEntry() { RemoveHostTree(m_path); }

void WriteHostFile(const std::string& hostPath, const std::string& content) {
    fs::create_directories(HostFilePath(hostPath).parent_path());
    std::ofstream out(HostFilePath(hostPath), std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + hostPath);
}

std::string ReadHostFile(const std::string& hostPath) {
    std::ifstream in(HostFilePath(hostPath), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool HostExists(const std::string& hostPath) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(HostFilePath(hostPath), ec));
}

std::vector<CString> ReadUtf16Lines(const std::string& hostPath, bool* hadBom, bool* crlf) {
    std::string bytes = ReadHostFile(hostPath);
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
    bool bom = !text.empty() && text[0] == 0xFEFF;
    if (bom) text.erase(0, 1);
    if (hadBom) *hadBom = bom;
    bool allCrlf = true;
    std::vector<CString> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n') continue;
        size_t end = i;
        if (end > start && text[end - 1] == u'\r') --end;
        else allCrlf = false;
        lines.emplace_back(text.substr(start, end - start));
        start = i + 1;
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
        allCrlf = false;
    }
    if (crlf) *crlf = allCrlf;
    return lines;
}

std::map<std::string, std::string> TreeState(const std::string& root) {
    std::map<std::string, std::string> state;
    for (auto& entry : TreeEntries(root)) state.insert(std::move(entry));
    return state;
}

std::vector<std::string> ListTree(const std::string& root, const std::vector<std::string>& skip) {
    std::vector<std::string> lines;
    for (const auto& entry : TreeEntries(root, skip)) lines.push_back(entry.first + " " + entry.second);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string TestDrives::Root(char letter) const {
    for (const auto& r : m_roots)
        if (r.first == toupper(letter)) return r.second;
    throw std::runtime_error("no such test drive");
}

void TestDrives::Write(const CString& drivePath, const std::string& content) const {
    WriteHostFile(Host(drivePath), content);
}

HostWindow::HostWindow() {
    progressInt = RegisterWindowMessageW(QXFM_PROGRESS_INT_MESSAGE);
    progressStr = RegisterWindowMessageW(QXFM_PROGRESS_STR_MESSAGE);
    operationStr = RegisterWindowMessageW(QXFM_OPERATION_STR_MESSAGE);
    errorStr = RegisterWindowMessageW(QXFM_ERROR_STR_MESSAGE);
    m_hwnd = CreateHostWindow(&m_delivered);
}

HostWindow::~HostWindow() {
    Drain();
    DestroyWindow(m_hwnd);
}

std::vector<Posted> HostWindow::Drain() {
    std::vector<MSG> messages;
    messages.swap(m_delivered);
    for (MSG msg; PeekMessageW(&msg, m_hwnd, 0, 0, PM_REMOVE);) messages.push_back(msg);
    std::vector<Posted> out;
    for (const MSG& msg : messages) {
        Posted p;
        p.message = msg.message;
        p.wParam = static_cast<long long>(static_cast<LONG_PTR>(msg.wParam));
        p.lParam = static_cast<long long>(msg.lParam);
        if (msg.message == progressStr && msg.wParam) {
            p.text = CString(reinterpret_cast<BSTR>(msg.wParam));
            p.hasText = true;
            SysFreeString(reinterpret_cast<BSTR>(msg.wParam));
        } else if ((msg.message == operationStr || msg.message == errorStr) && QxfmWParamIsText(msg.wParam)) {
            p.text = CString(reinterpret_cast<const WCHAR*>(msg.wParam));
            p.hasText = true;
        } else if (msg.lParam && ((msg.message == operationStr && QxfmOperationLParamIsString(int(p.wParam), Module::Protocol())) ||
                                  (msg.message == errorStr &&
                                   QxfmErrorLParamIsString(int(p.wParam), Module::Protocol())))) {
            p.text = CString(reinterpret_cast<BSTR>(msg.lParam));
            p.hasText = true;
            SysFreeString(reinterpret_cast<BSTR>(msg.lParam));
        }
        out.push_back(p);
    }
    return out;
}

std::vector<long long> Codes(const std::vector<Posted>& posted, UINT message) {
    std::vector<long long> out;
    for (const auto& p : posted)
        if (p.message == message) out.push_back(p.wParam);
    return out;
}

bool HasCode(const std::vector<Posted>& posted, UINT message, long long code) {
    for (const auto& p : posted)
        if (p.message == message && p.wParam == code) return true;
    return false;
}

namespace {
int g_askedProtocol = QXFM_PROTOCOL_DOCUMENTED;
}  // namespace

int Module::Protocol() { return g_askedProtocol; }

void Module::AskFor(int protocol) {
    g_askedProtocol = protocol == kAsksNothing ? QXFM_PROTOCOL_DOCUMENTED : protocol;
    if (protocol != kAsksNothing && SetHostProtocol(protocol) != 0)
        throw std::runtime_error("the module does not speak host protocol " + std::to_string(protocol));
}

std::string ImageEngineMissing() {
    HANDLE probe = WIMCreateFile(u"", WIM_GENERIC_READ, WIM_OPEN_EXISTING, 0, 0, nullptr);
    if (probe) WIMCloseHandle(probe);
    if (!probe && GetLastError() == ERROR_MOD_NOT_FOUND)
        return "no image engine: wimgapi.dll is not installed (Wine's own is only a placeholder)";
    return std::string();
}

std::vector<std::string> ReadDbgLogMessages(const std::string& hostPath) {
    std::string bytes = ReadHostFile(hostPath);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n') continue;
        size_t end = i;
        if (end > start && bytes[end - 1] == '\r') --end;
        lines.push_back(bytes.substr(start, end - start));
        start = i + 1;
    }
    std::vector<std::string> messages;
    for (size_t i = 0; i + 1 < lines.size(); i += 2) messages.push_back(lines[i + 1]);
    return messages;
}

int ContinueCounter::calls = 0;
int ContinueCounter::cancelAt = 0;
std::set<int> ContinueCounter::operations;

void ContinueCounter::Reset(int cancelAtCall) {
    calls = 0;
    cancelAt = cancelAtCall;
    operations.clear();
}

int CALLBACK ContinueCounter::Continue(int* operation) {
    operations.insert(*operation);
    ++calls;
    return cancelAt == 0 || calls < cancelAt ? 1 : 0;
}

}  // namespace qxtest
