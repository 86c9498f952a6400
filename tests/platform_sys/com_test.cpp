// The component object layer: per-thread initialisation counts, creation of
// the shell link object and its interfaces.
#include <gtest/gtest.h>

#include <thread>

#include "shlobj.h"

namespace {

TEST(Com, InitialisationIsCountedPerThread) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    HRESULT otherThread = E_FAIL;
    std::thread([&] {
        otherThread = CoInitialize(nullptr);
        CoUninitialize();
    }).join();
    EXPECT_EQ(otherThread, S_OK);
    CoUninitialize();
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);  // one initialisation still open
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
}

TEST(Com, CreatesOnlyTheShellLinkOnAnInitialisedThread) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_TRUE(FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, &object)));
    EXPECT_EQ(object, nullptr);

    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_TRUE(FAILED(CoCreateInstance(IID_IPersistFile, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object)));
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, nullptr), E_POINTER);
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), S_OK);
    ASSERT_NE(object, nullptr);
    static_cast<IUnknown*>(object)->Release();
    CoUninitialize();
}

TEST(Com, ShellLinkInterfacesShareOneCountedObject) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    IShellLinkW* link = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                               reinterpret_cast<void**>(&link)),
              S_OK);
    IPersistFile* file = nullptr;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
    IUnknown* fromLink = nullptr;
    IUnknown* fromFile = nullptr;
    ASSERT_EQ(link->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromLink)), S_OK);
    ASSERT_EQ(file->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromFile)), S_OK);
    EXPECT_EQ(fromLink, fromFile);  // one identity
    IShellLinkW* back = nullptr;
    ASSERT_EQ(file->QueryInterface(IID_IShellLinkW, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, link);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(link->QueryInterface(CLSID_ShellLink, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    EXPECT_EQ(link->AddRef(), 6u);
    EXPECT_EQ(link->Release(), 5u);
    back->Release();
    fromFile->Release();
    fromLink->Release();
    file->Release();
    EXPECT_EQ(link->Release(), 0u);
    CoUninitialize();
}

}  // namespace
