// Owners of kernel, find, WIMGAPI handles and COM interfaces: each closes what
// it holds when it goes out of scope. Closing from the destructor or reset()
// keeps the thread's last error, which callers read after a failed call.
#pragma once

#include <utility>

#include "windows.h"
#include "wimgapi.h"

// Traits give the handle type, its invalid value and its close function.
template <class Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : m_handle(handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : m_handle(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }

    // Gives up ownership without closing.
    Handle release() { return std::exchange(m_handle, Traits::Invalid()); }

    // Closes what is held, keeping the last error, and takes handle.
    void reset(Handle handle = Traits::Invalid()) {
        const Handle old = std::exchange(m_handle, handle);
        if (old == Traits::Invalid()) return;
        const DWORD error = GetLastError();
        Traits::Close(old);
        SetLastError(error);
    }

    // Closes what is held now; false when closing failed (for a file written
    // to, buffered data may be lost), with the close's last error. True when
    // nothing is held.
    bool close() {
        const Handle old = release();
        return old == Traits::Invalid() || Traits::Close(old);
    }

    // For a call that hands out a new handle through a pointer: closes what is
    // held and gives the place to write to.
    Handle* put() {
        reset();
        return &m_handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

// CreateFileW and the like: INVALID_HANDLE_VALUE when nothing is open.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(Handle handle) { return CloseHandle(handle) != FALSE; }
};
using ScopedFileHandle = ScopedHandle<FileHandleTraits>;

// CreateMutexW and the other named objects: NULL when nothing is open.
struct KernelObjectTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle handle) { return CloseHandle(handle) != FALSE; }
};
using ScopedKernelObject = ScopedHandle<KernelObjectTraits>;

// FindFirstFileW and FindFirstFileExW.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(Handle handle) { return FindClose(handle) != FALSE; }
};
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;

// WIMCreateFile, WIMLoadImage and WIMCaptureImage: NULL when nothing is open.
struct WimHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle handle) { return WIMCloseHandle(handle) != FALSE; }
};
using ScopedWimHandle = ScopedHandle<WimHandleTraits>;

// One reference to a COM interface.
template <class Interface>
struct ComTraits {
    using Handle = Interface*;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle pointer) {
        pointer->Release();
        return true;
    }
};
template <class Interface>
using ScopedComPtr = ScopedHandle<ComTraits<Interface>>;
