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

}  // namespace wimtest
