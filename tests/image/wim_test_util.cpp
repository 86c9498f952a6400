#include "wim_test_util.h"

namespace wimtest {

namespace {

Recorder* g_recorder = nullptr;

DWORD CALLBACK Record(DWORD id, WPARAM wParam, LPARAM lParam, PVOID) {
    Recorder& r = *g_recorder;
    Message m{id, CString(), 0};
    if (id == WIM_MSG_PROCESS || id == WIM_MSG_ERROR) m.path = reinterpret_cast<const WCHAR*>(wParam);
    if (id == WIM_MSG_PROGRESS) m.value = wParam;
    if (id == WIM_MSG_ERROR) m.value = static_cast<unsigned long long>(lParam);
    if (id == WIM_MSG_SPLIT) {
        m.path = *reinterpret_cast<PWSTR*>(wParam);
        m.value = *reinterpret_cast<const ULONGLONG*>(lParam);
    }
    r.messages.push_back(m);
    if (id == WIM_MSG_PROCESS && !r.skipText.IsEmpty() && m.path.Find(r.skipText) >= 0)
        *reinterpret_cast<BOOL*>(lParam) = FALSE;
    if (id == r.abortOn && --r.abortAfter == 0) return WIM_MSG_ABORT_IMAGE;
    return WIM_MSG_SUCCESS;
}

}  // namespace

std::vector<CString> Recorder::Paths(DWORD id) const {
    std::vector<CString> out;
    for (const Message& m : messages)
        if (m.id == id) out.push_back(m.path);
    return out;
}

std::vector<unsigned long long> Recorder::Values(DWORD id) const {
    std::vector<unsigned long long> out;
    for (const Message& m : messages)
        if (m.id == id) out.push_back(m.value);
    return out;
}

RecorderRegistration::RecorderRegistration(Recorder& recorder) {
    g_recorder = &recorder;
    WIMRegisterMessageCallback(nullptr, Record, nullptr);
}

RecorderRegistration::~RecorderRegistration() {
    WIMUnregisterMessageCallback(nullptr, Record);
    g_recorder = nullptr;
}

static std::string RefOption(const std::string& refs) { return refs.empty() ? "" : " --ref='" + refs + "'"; }

int ImageCountOf(const std::string& hostWim) {
    std::string info = RunCommand("wimlib-imagex info '" + hostWim + "'");
    size_t at = info.find("Image Count:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 12));
}

bool Verifies(const std::string& hostWim, const std::string& refs) {
    int status = -1;
    RunCommand("wimlib-imagex verify '" + hostWim + "'" + RefOption(refs), &status);
    return status == 0;
}

std::string ListingOf(const std::string& hostWim, int image, const std::string& refs) {
    return RunCommand("wimlib-imagex dir '" + hostWim + "' " + std::to_string(image) + RefOption(refs));
}

}  // namespace wimtest
