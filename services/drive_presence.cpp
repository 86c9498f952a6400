#include "services/drive_presence.h"

#include "services/dbglog.h"
#include "services/notify.h"

bool DrivesPresent() {
    if (GetLogicalDriveStringsW(0, nullptr) != 0) return true;
    const DWORD error = GetLastError();
    WCHAR text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  sizeof text / sizeof text[0], nullptr);
    CString reason = length ? CString(text, static_cast<int>(length)).TrimRight(u"\r\n") : CString();
    DbgLog(u"MSG_ERROR_NO_DRIVES - No drive to work on (error %u): %s", error, reason.GetString());
    SetLastError(error);
    PostLastSystemError();
    return false;
}
