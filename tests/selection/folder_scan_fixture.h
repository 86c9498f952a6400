// ScanFolder called directly on a test drive, with the host window it posts to.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "services/dbglog.h"
#include "selection/folder_scan.h"
#include "testhost.h"

namespace qxtest {

using Paths = std::vector<CString>;

class FolderScanTest : public ::testing::Test {
protected:
    void SetUp() override { g_pHostWnd = host.handle(); }
    void TearDown() override {
        g_pHostWnd = nullptr;
        g_nHostProtocol = QXFM_PROTOCOL_DOCUMENTED;
        g_pfnContinue = nullptr;
        CloseDbgLog();  // the stream must not outlive the test's folder
    }
    bool Collect(const CString& folder, const Paths& patterns, double usedBytes = 0) {
        progress = 0;
        return ScanFolder(folder, &patterns, usedBytes, &progress, &result, &total);
    }
    bool Probe(const CString& folder, const Paths& patterns) {
        return ScanFolder(folder, &patterns, 0, nullptr, &result, nullptr);
    }

    TestDrives drives;
    HostWindow host;
    Paths result;
    double progress = 0;
    ULONGLONG total = 0;
};

}  // namespace qxtest
