// The Windows Imaging API subset, implemented over wimlib: the files written
// are real WIM files.
#pragma once

#include "atlstr.h"
#include <windows.h>

#define WIM_GENERIC_READ GENERIC_READ
#define WIM_GENERIC_WRITE GENERIC_WRITE

#define WIM_CREATE_NEW CREATE_NEW
#define WIM_CREATE_ALWAYS CREATE_ALWAYS
#define WIM_OPEN_EXISTING OPEN_EXISTING
#define WIM_OPEN_ALWAYS OPEN_ALWAYS

#define WIM_COMPRESS_NONE 0
#define WIM_COMPRESS_XPRESS 1
#define WIM_COMPRESS_LZX 2
#define WIM_COMPRESS_LZMS 3

#define WIM_CREATED_NEW 0
#define WIM_OPENED_EXISTING 1

#define WIM_FLAG_VERIFY 0x00000002
#define WIM_FLAG_INDEX 0x00000004
#define WIM_FLAG_NO_APPLY 0x00000008
#define WIM_FLAG_NO_DIRACL 0x00000010
#define WIM_FLAG_NO_FILEACL 0x00000020
#define WIM_FLAG_SHARE_WRITE 0x00000040
#define WIM_FLAG_FILEINFO 0x00000080
#define WIM_FLAG_NO_RP_FIX 0x00000100

#define WIM_ATTRIBUTE_NORMAL 0x00000000
#define WIM_ATTRIBUTE_RESOURCE_ONLY 0x00000001
#define WIM_ATTRIBUTE_METADATA_ONLY 0x00000002
#define WIM_ATTRIBUTE_VERIFY_DATA 0x00000004
#define WIM_ATTRIBUTE_RP_FIX 0x00000008
#define WIM_ATTRIBUTE_SPANNED 0x00000010
#define WIM_ATTRIBUTE_READONLY 0x00000020

#define WIM_REFERENCE_APPEND 0x00010000
#define WIM_REFERENCE_REPLACE 0x00020000

#ifndef WM_APP
#define WM_APP 0x8000
#endif
#define WIM_MSG (WM_APP + 0x1476)
#define WIM_MSG_TEXT (WIM_MSG + 1)
#define WIM_MSG_PROGRESS (WIM_MSG + 2)
#define WIM_MSG_PROCESS (WIM_MSG + 3)
#define WIM_MSG_SCANNING (WIM_MSG + 4)
#define WIM_MSG_SETRANGE (WIM_MSG + 5)
#define WIM_MSG_SETPOS (WIM_MSG + 6)
#define WIM_MSG_STEPIT (WIM_MSG + 7)
#define WIM_MSG_COMPRESS (WIM_MSG + 8)
#define WIM_MSG_ERROR (WIM_MSG + 9)
#define WIM_MSG_ALIGNMENT (WIM_MSG + 10)
#define WIM_MSG_RETRY (WIM_MSG + 11)
#define WIM_MSG_SPLIT (WIM_MSG + 12)
#define WIM_MSG_FILEINFO (WIM_MSG + 13)
#define WIM_MSG_INFO (WIM_MSG + 14)
#define WIM_MSG_WARNING (WIM_MSG + 15)
#define WIM_MSG_CHK_PROCESS (WIM_MSG + 16)

#define WIM_MSG_SUCCESS ERROR_SUCCESS
#define WIM_MSG_DONE 0xFFFFFFF0
#define WIM_MSG_SKIP_ERROR 0xFFFFFFFE
#define WIM_MSG_ABORT_IMAGE 0xFFFFFFFF

#define INVALID_CALLBACK_VALUE 0xFFFFFFFF

// The documented 560-byte structure.
struct WIM_INFO {
    WCHAR WimPath[MAX_PATH];
    BYTE Guid[16];
    DWORD ImageCount;
    DWORD CompressionType;
    WORD PartNumber;
    WORD TotalParts;
    DWORD BootIndex;
    DWORD WimAttributes;
    DWORD WimFlagsAndAttr;
};
typedef WIM_INFO* PWIM_INFO;
typedef WIM_INFO* LPWIM_INFO;
static_assert(sizeof(WIM_INFO) == 560, "WIM_INFO is 560 bytes");

// Called on the calling thread from inside WIMCaptureImage, WIMApplyImage and WIMSplitFile.
//  WIM_MSG_PROCESS:  wParam = full Windows path (PCWSTR); lParam = BOOL* take flag (capture: set to FALSE to leave
//                    the item out, a folder with everything below it).
//  WIM_MSG_PROGRESS: wParam = percent of the current image; lParam = estimated milliseconds left.
//  WIM_MSG_SPLIT:    wParam = PWSTR* (address of the new part's path); lParam = PLARGE_INTEGER part size.
//  WIM_MSG_ERROR, WIM_MSG_RETRY, WIM_MSG_INFO, WIM_MSG_WARNING: wParam = path; lParam = Win32 error code.
// Returning WIM_MSG_ABORT_IMAGE makes the running call fail with ERROR_REQUEST_ABORTED.
typedef DWORD(CALLBACK* FARPROC_WIM_CALLBACK)(DWORD dwMessageId, WPARAM wParam, LPARAM lParam, PVOID pvUserData);
typedef FARPROC_WIM_CALLBACK WIMMessageCallback;

#ifndef ERROR_REQUEST_ABORTED
#define ERROR_REQUEST_ABORTED 1235L
#endif

extern "C" {
QXPLATFORM_API HANDLE WINAPI WIMCreateFile(PCWSTR pszWimPath, DWORD dwDesiredAccess, DWORD dwCreationDisposition,
                                    DWORD dwFlagsAndAttributes, DWORD dwCompressionType, PDWORD pdwCreationResult);
QXPLATFORM_API BOOL WINAPI WIMCloseHandle(HANDLE hObject);
QXPLATFORM_API BOOL WINAPI WIMGetAttributes(HANDLE hWim, PWIM_INFO pWimInfo, DWORD cbWimInfo);
QXPLATFORM_API BOOL WINAPI WIMSetTemporaryPath(HANDLE hWim, PCWSTR pszPath);
QXPLATFORM_API BOOL WINAPI WIMSetReferenceFile(HANDLE hWim, PCWSTR pszPath, DWORD dwFlags);
QXPLATFORM_API HANDLE WINAPI WIMLoadImage(HANDLE hWim, DWORD dwImageIndex);
QXPLATFORM_API BOOL WINAPI WIMApplyImage(HANDLE hImage, PCWSTR pszPath, DWORD dwApplyFlags);
QXPLATFORM_API HANDLE WINAPI WIMCaptureImage(HANDLE hWim, PCWSTR pszPath, DWORD dwCaptureFlags);
QXPLATFORM_API BOOL WINAPI WIMSetBootImage(HANDLE hWim, DWORD dwImageIndex);
// Image information is the WIMGAPI <IMAGE> XML in UTF-16 LE (a byte-order mark first). Set reads
// <NAME> and <DESCRIPTION> and writes them into the file; Get gives an image's <IMAGE INDEX="n">
// element, or for a file handle <WIM> with every image's, in a buffer freed with LocalFree.
QXPLATFORM_API BOOL WINAPI WIMSetImageInformation(HANDLE hImage, PVOID pvImageInfo, DWORD cbImageInfo);
QXPLATFORM_API BOOL WINAPI WIMGetImageInformation(HANDLE hImage, PVOID* ppvImageInfo, PDWORD pcbImageInfo);
QXPLATFORM_API BOOL WINAPI WIMSplitFile(HANDLE hWim, PCWSTR pszPartPath, PLARGE_INTEGER pliPartSize, DWORD dwFlags);
QXPLATFORM_API DWORD WINAPI WIMRegisterMessageCallback(HANDLE hWim, FARPROC_WIM_CALLBACK fpMessageProc, PVOID pvUserData);
QXPLATFORM_API BOOL WINAPI WIMUnregisterMessageCallback(HANDLE hWim, FARPROC_WIM_CALLBACK fpMessageProc);
}

// Not part of WIMGAPI: the unescaped text of the first <name> element of image information XML
// ("" when there is none).
QXPLATFORM_API CString QxImageInfoElement(const CString& xml, PCWSTR name);

// Not part of WIMGAPI: the messages the underlying library wrote since the
// last call (lines ending in "\n"), for the caller's own log; empty when none.
QXPLATFORM_API CString QxTakeWimLibraryMessages();
