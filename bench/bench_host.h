// What every benchmark host shares: a message-only window drained from the
// continue callback, and the Windows paths of a host tree mapped to drive C:.
#pragma once

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "qxfilemgr.h"
#include "qxplatform.h"

namespace bench {

inline HWND g_window = nullptr;
inline UINT g_progressStr = 0;
inline UINT g_operationStr = 0;
inline UINT g_errorStr = 0;

// Frees the string payloads of every queued notification; returns how many were queued.
inline size_t Drain() {
    MSG msg;
    size_t drained = 0;
    while (PeekMessageW(&msg, g_window, 0, 0, PM_REMOVE)) {
        ++drained;
        if (msg.message == g_progressStr) SysFreeString(reinterpret_cast<BSTR>(msg.wParam));
        if (msg.message == g_operationStr && QxfmOperationLParamIsString(static_cast<int>(msg.wParam)))
            SysFreeString(reinterpret_cast<BSTR>(msg.lParam));
        if (msg.message == g_errorStr && QxfmErrorLParamIsString(static_cast<int>(msg.wParam)))
            SysFreeString(reinterpret_cast<BSTR>(msg.lParam));
    }
    return drained;
}

// The host pumps its queue whenever the module asks whether to go on.
inline int CALLBACK DrainAndContinue(int*) {
    Drain();
    return 1;
}

inline void CreateHostWindow() {
    g_progressStr = RegisterWindowMessageW(QXFM_PROGRESS_STR_MESSAGE);
    g_operationStr = RegisterWindowMessageW(QXFM_OPERATION_STR_MESSAGE);
    g_errorStr = RegisterWindowMessageW(QXFM_ERROR_STR_MESSAGE);
    g_window = CreateWindowExW(0, u"STATIC", u"bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

// "C:\" + the path of every regular file below root.
inline std::vector<CString> WindowsPathsBelow(const std::filesystem::path& root) {
    std::vector<CString> paths;
    const size_t rootLength = root.string().size() + 1;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string rel = entry.path().string().substr(rootLength);
        for (char& c : rel)
            if (c == '/') c = '\\';
        paths.push_back(CString::FromUtf8("C:\\" + rel));
    }
    return paths;
}

inline void* LoadModule() {
    void* module = dlopen(QXFM_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!module) std::fprintf(stderr, "dlopen: %s\n", dlerror());
    return module;
}

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace bench
