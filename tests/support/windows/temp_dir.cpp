// A folder of its own below the user's temporary folder (under Wine, inside
// the Wine prefix), named with the process id and a counter.
#include <stdexcept>
#include <string>

#include "testhost.h"
#include "windows.h"

namespace qxtest {

TempDir::TempDir() {
    static unsigned s_count = 0;
    WCHAR temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error("GetTempPathW failed");
    const CString base(temp, static_cast<int>(n));  // ends in a backslash
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const CString name = CString::FromUtf8("qxfm-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                               std::to_string(s_count++));
        if (CreateDirectoryW(base + name, nullptr)) {
            m_path = (base + name).ToUtf8();
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("cannot make a temporary folder in " + base.ToUtf8());
}

}  // namespace qxtest
