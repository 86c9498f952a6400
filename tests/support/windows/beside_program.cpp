#include "beside_program.h"

#include "windows.h"

namespace qxtest {

CString BesideProgram(const char* relative) {
    WCHAR self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    CString folder(self, n > 0 && n < MAX_PATH ? static_cast<int>(n) : 0);
    folder = folder.Left(folder.ReverseFind(u'\\') + 1);
    CString rel = CString::FromUtf8(relative);
    rel.Replace(u'/', u'\\');
    return folder + rel;
}

}  // namespace qxtest
