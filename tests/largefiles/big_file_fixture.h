// Shared set-up of the big-file tests: drives, a host window the catalog code
// posts to, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "services/state.h"
#include "largefiles/big_files.h"
#include "testhost.h"

namespace bigfiles {

// n bytes of a repeating, position-dependent pattern.
inline std::string Pattern(size_t n, unsigned seed = 0) {
    std::string out(n, '\0');
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>((i * 7 + seed * 13 + 3) % 251);
    return out;
}

class BigFileTest : public ::testing::Test {
protected:
    void SetUp() override { g_pHostWnd = host.handle(); }
    void TearDown() override { g_pHostWnd = nullptr; }

    std::string Host(const CString& winPath) const { return drives.Host(winPath); }
    std::string Read(const CString& winPath) const { return qxtest::ReadHostFile(Host(winPath)); }
    bool Exists(const CString& winPath) const { return qxtest::HostExists(Host(winPath)); }
    std::vector<long long> Errors() { return qxtest::Codes(host.Drain(), host.errorStr); }

    qxtest::TestDrives drives{{"C", "D"}};
    qxtest::HostWindow host;
    CQXSerialization catalog;
};

}  // namespace bigfiles
