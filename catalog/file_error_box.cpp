#include "catalog/file_error_box.h"

#include "atlstr.h"

void ShowFileErrorBox(DWORD error) {
    WCHAR text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  sizeof text / sizeof text[0], nullptr);
    CString message;
    if (length == 0)
        message.Format(u"File error %u.", error);
    else
        message = CString(text, static_cast<int>(length)).TrimRight(u"\r\n");
    MessageBoxW(nullptr, message, nullptr, MB_OK);
}
