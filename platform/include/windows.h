// The Win32 subset this project uses, on a POSIX host.
// Names, constants, structures and last-error codes follow Win32 so that the
// module reads like Windows code; behaviour is emulated on the host file system.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define APIENTRY
#define QXPLATFORM_API __attribute__((visibility("default")))

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t UINT;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef uint64_t DWORD64;
typedef uintptr_t UINT_PTR;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef WCHAR* PWSTR;
typedef const WCHAR* LPCWSTR;
typedef const WCHAR* PCWSTR;
typedef void* HANDLE;
typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
typedef DWORD* PDWORD;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef LONG HRESULT;
typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;
typedef void* HINSTANCE;
typedef void* HMENU;

struct HWND__;
typedef HWND__* HWND;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

// Last-error codes.
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DRIVE 15L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_CANT_ACCESS_FILE 1920L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_BAD_ARGUMENTS 160L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_NOT_SAME_DEVICE 17L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_DIRECTORY 267L
#define ERROR_NOT_OWNER 288L
#define ERROR_OPERATION_ABORTED 995L
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_BAD_CONFIGURATION 1610L
#define ERROR_NOT_ENOUGH_QUOTA 1816L
#define ERROR_CANT_RESOLVE_FILENAME 1921L
#define ERROR_INVALID_DATA 13L
#define ERROR_FILE_CORRUPT 1392L

// HRESULTs.
#define S_OK ((HRESULT)0L)
#define S_FALSE ((HRESULT)1L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define HRESULT_FROM_WIN32(x) \
    ((HRESULT)(x) <= 0 ? ((HRESULT)(x)) : ((HRESULT)(((x)&0x0000FFFF) | (7 << 16) | 0x80000000)))

// File attributes.
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_DEVICE 0x00000040
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define FILE_ATTRIBUTE_COMPRESSED 0x00000800
#define FILE_ATTRIBUTE_NOT_CONTENT_INDEXED 0x00002000

// CreateFileW.
#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
// Names are matched as spelled: entries whose names differ only by case are other files.
#define FILE_FLAG_POSIX_SEMANTICS 0x01000000
#define FILE_WRITE_ATTRIBUTES 0x0100
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

// Drive types.
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

#define IOCTL_DISK_GET_PARTITION_INFO 0x00074004

// Windows and messages.
#define HWND_MESSAGE ((HWND)(LONG_PTR)-3)
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define WM_NULL 0x0000
#define WM_QUIT 0x0012
#define WM_USER 0x0400
#define MB_OK 0x00000000L
#define MB_ICONERROR 0x00000010L
#define IDOK 1

#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    LONGLONG QuadPart;
};
typedef LARGE_INTEGER* PLARGE_INTEGER;

union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    };
    ULONGLONG QuadPart;
};
typedef ULARGE_INTEGER* PULARGE_INTEGER;

// 100-nanosecond intervals since 1601-01-01 UTC.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
typedef FILETIME* LPFILETIME;

struct SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAW* LPWIN32_FIND_DATAW;

struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};
enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };
enum FINDEX_INFO_LEVELS { FindExInfoStandard = 0, FindExInfoBasic = 1 };
enum FINDEX_SEARCH_OPS { FindExSearchNameMatch = 0 };
#define FIND_FIRST_EX_CASE_SENSITIVE 0x00000001

struct MEMORYSTATUSEX {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    ULONGLONG ullTotalPhys;
    ULONGLONG ullAvailPhys;
    ULONGLONG ullTotalPageFile;
    ULONGLONG ullAvailPageFile;
    ULONGLONG ullTotalVirtual;
    ULONGLONG ullAvailVirtual;
    ULONGLONG ullAvailExtendedVirtual;
};
typedef MEMORYSTATUSEX* LPMEMORYSTATUSEX;

// The 32-byte result of IOCTL_DISK_GET_PARTITION_INFO.
struct PARTITION_INFORMATION {
    LARGE_INTEGER StartingOffset;
    LARGE_INTEGER PartitionLength;
    DWORD HiddenSectors;
    DWORD PartitionNumber;
    BYTE PartitionType;
    BYTE BootIndicator;
    BYTE RecognizedPartition;
    BYTE RewritePartition;
};
static_assert(sizeof(PARTITION_INFORMATION) == 32, "partition information is 32 bytes");

struct POINT {
    LONG x, y;
};
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

extern "C" {

// Last error (thread-local).
QXPLATFORM_API DWORD GetLastError();
QXPLATFORM_API void SetLastError(DWORD dwErrCode);

// Handles and named mutexes.
// The registry (advapi32), kept per user with the named objects, so that a
// namespace of its own (QXFM_NAMESPACE) also has a registry of its own. Keys
// hold values; only the calls below are provided.
typedef struct QxRegistryKey* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<LONG>(0x80000001))))
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define REG_OPTION_NON_VOLATILE 0
#define REG_SZ 1
QXPLATFORM_API LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                                    REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes,
                                    PHKEY phkResult, LPDWORD lpdwDisposition);
QXPLATFORM_API LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                                   DWORD cbData);
QXPLATFORM_API LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                                  LPDWORD lpReserved, LPDWORD lpType, BYTE* lpData, LPDWORD lpcbData);
QXPLATFORM_API LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
QXPLATFORM_API LONG RegCloseKey(HKEY hKey);

QXPLATFORM_API HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName);
QXPLATFORM_API BOOL ReleaseMutex(HANDLE hMutex);
QXPLATFORM_API BOOL CloseHandle(HANDLE hObject);

// Files and folders.
QXPLATFORM_API HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
// With FIND_FIRST_EX_CASE_SENSITIVE every name of the path counts only as
// spelled; a pattern with wildcards is then refused (ERROR_NOT_SUPPORTED).
QXPLATFORM_API HANDLE FindFirstFileExW(LPCWSTR lpFileName, FINDEX_INFO_LEVELS fInfoLevelId, LPVOID lpFindFileData,
                                       FINDEX_SEARCH_OPS fSearchOp, LPVOID lpSearchFilter, DWORD dwAdditionalFlags);
QXPLATFORM_API BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
QXPLATFORM_API BOOL FindClose(HANDLE hFindFile);
QXPLATFORM_API DWORD GetFileAttributesW(LPCWSTR lpFileName);
QXPLATFORM_API BOOL GetFileAttributesExW(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation);
QXPLATFORM_API BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes);
QXPLATFORM_API BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists);
QXPLATFORM_API BOOL DeleteFileW(LPCWSTR lpFileName);
#define MOVEFILE_REPLACE_EXISTING 0x00000001
QXPLATFORM_API BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
QXPLATFORM_API BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
QXPLATFORM_API BOOL RemoveDirectoryW(LPCWSTR lpPathName);
QXPLATFORM_API DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart);
QXPLATFORM_API DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
QXPLATFORM_API DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer);
QXPLATFORM_API BOOL SetCurrentDirectoryW(LPCWSTR lpPathName);

QXPLATFORM_API HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                                  DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
QXPLATFORM_API BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                             LPVOID lpOverlapped);
QXPLATFORM_API BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                              LPDWORD lpNumberOfBytesWritten, LPVOID lpOverlapped);
QXPLATFORM_API BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                                     DWORD dwMoveMethod);
QXPLATFORM_API BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize);
QXPLATFORM_API BOOL SetEndOfFile(HANDLE hFile);
QXPLATFORM_API BOOL FlushFileBuffers(HANDLE hFile);
QXPLATFORM_API BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                                LPFILETIME lpLastWriteTime);
QXPLATFORM_API BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                                const FILETIME* lpLastWriteTime);

// Volumes and devices.
QXPLATFORM_API BOOL GetDiskFreeSpaceExW(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                                        PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes);
QXPLATFORM_API UINT GetDriveTypeW(LPCWSTR lpRootPathName);
QXPLATFORM_API DWORD GetLogicalDriveStringsW(DWORD nBufferLength, LPWSTR lpBuffer);
QXPLATFORM_API BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                                    LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                                    LPVOID lpOverlapped);
QXPLATFORM_API BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX lpBuffer);

// Local memory: only what WIMGAPI hands out (WIMGetImageInformation) is freed here.
typedef void* HLOCAL;
QXPLATFORM_API HLOCAL LocalFree(HLOCAL hMem);

// Time.
QXPLATFORM_API void GetLocalTime(SYSTEMTIME* lpSystemTime);
QXPLATFORM_API void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);

// Error texts.
QXPLATFORM_API DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                                    LPWSTR lpBuffer, DWORD nSize, void* Arguments);

// Windows and messages (user32).
QXPLATFORM_API UINT RegisterWindowMessageW(LPCWSTR lpString);
QXPLATFORM_API HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X,
                                    int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                                    HINSTANCE hInstance, LPVOID lpParam);
QXPLATFORM_API BOOL DestroyWindow(HWND hWnd);
QXPLATFORM_API BOOL IsWindow(HWND hWnd);
QXPLATFORM_API BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
QXPLATFORM_API BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
QXPLATFORM_API BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
QXPLATFORM_API int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);

// Automation strings (oleaut32).
QXPLATFORM_API BSTR SysAllocString(const OLECHAR* psz);
QXPLATFORM_API BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
QXPLATFORM_API UINT SysStringLen(BSTR pbstr);
QXPLATFORM_API void SysFreeString(BSTR bstrString);

}  // extern "C"

// Code pages: CP_ACP is this platform's ANSI code page, UTF-8.
#define CP_ACP 0
#define CP_UTF8 65001
extern "C" {
QXPLATFORM_API int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                                       LPWSTR lpWideCharStr, int cchWideChar);
QXPLATFORM_API int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                       char* lpMultiByteStr, int cbMultiByte, const char* lpDefaultChar,
                                       BOOL* lpUsedDefaultChar);
}
