// WIMGAPI on Windows: wimgapi.dll, which Windows ships, loaded on first use.
// Without it every call fails with ERROR_MOD_NOT_FOUND (a missing entry point:
// ERROR_PROC_NOT_FOUND), so the module reports an image engine that is absent.
#include <cstring>

#include "wimgapi.h"

namespace {

// Wine's own wimgapi.dll, marked as its builtin right after the DOS header,
// holds placeholders that fail or end the process: that is no image engine.
bool IsWinePlaceholder(HMODULE module) {
    static const char kMarker[] = "Wine builtin DLL";
    return std::memcmp(reinterpret_cast<const char*>(module) + sizeof(IMAGE_DOS_HEADER), kMarker,
                       sizeof kMarker - 1) == 0;
}

HMODULE WimgapiModule() {
    static HMODULE module = [] {
        HMODULE loaded = LoadLibraryW(u"wimgapi.dll");
        if (loaded && IsWinePlaceholder(loaded)) {
            FreeLibrary(loaded);
            loaded = nullptr;
        }
        return loaded;
    }();
    return module;
}

// The entry point of that name, typed like the declaration it stands for.
template <typename Function>
Function* Entry(const char* name) {
    HMODULE module = WimgapiModule();
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    auto* entry = reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!entry) SetLastError(ERROR_PROC_NOT_FOUND);
    return entry;
}

}  // namespace

// Each forward returns the call's result, or the declared failure value when the entry is missing.
#define QX_WIMGAPI_FORWARD(result, failed, name, params, args)                     \
    extern "C" result WINAPI name params {                                          \
        static auto* entry = Entry<decltype(name)>(#name);                          \
        return entry ? entry args : failed;                                         \
    }

QX_WIMGAPI_FORWARD(HANDLE, nullptr, WIMCreateFile,
                   (PCWSTR path, DWORD access, DWORD disposition, DWORD flags, DWORD compression, PDWORD created),
                   (path, access, disposition, flags, compression, created))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMCloseHandle, (HANDLE object), (object))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMGetAttributes, (HANDLE wim, PWIM_INFO info, DWORD size), (wim, info, size))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMSetTemporaryPath, (HANDLE wim, PCWSTR path), (wim, path))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMSetReferenceFile, (HANDLE wim, PCWSTR path, DWORD flags), (wim, path, flags))
QX_WIMGAPI_FORWARD(HANDLE, nullptr, WIMLoadImage, (HANDLE wim, DWORD index), (wim, index))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMApplyImage, (HANDLE image, PCWSTR path, DWORD flags), (image, path, flags))
QX_WIMGAPI_FORWARD(HANDLE, nullptr, WIMCaptureImage, (HANDLE wim, PCWSTR path, DWORD flags), (wim, path, flags))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMSetBootImage, (HANDLE wim, DWORD index), (wim, index))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMSetImageInformation, (HANDLE image, PVOID info, DWORD size), (image, info, size))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMGetImageInformation, (HANDLE image, PVOID* info, PDWORD size),
                   (image, info, size))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMSplitFile, (HANDLE wim, PCWSTR path, PLARGE_INTEGER size, DWORD flags),
                   (wim, path, size, flags))
QX_WIMGAPI_FORWARD(DWORD, INVALID_CALLBACK_VALUE, WIMRegisterMessageCallback,
                   (HANDLE wim, FARPROC_WIM_CALLBACK callback, PVOID userData), (wim, callback, userData))
QX_WIMGAPI_FORWARD(BOOL, FALSE, WIMUnregisterMessageCallback, (HANDLE wim, FARPROC_WIM_CALLBACK callback),
                   (wim, callback))

// WIMGAPI writes no messages of its own beside the callback's.
CString QxTakeWimLibraryMessages() { return CString(); }
