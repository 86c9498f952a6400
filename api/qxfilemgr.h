// QXFileMgr: finds a user's files by category, backs them up into Windows
// image files with a catalog, checks and restores them, and copies files raw.
// A host needs only this header, the platform layer and libQXFileMgr.
#pragma once

#include <type_traits>
#include <vector>

#include "atlstr.h"
#include "windows.h"

#define QXFM_API __attribute__((visibility("default")))

// The kind of the running operation, handed to the continue callback.
enum OperationKind {
    OP_AUTO_SELECTION = 1,
    OP_USER_SELECTION = 2,
    OP_BACKUP = 3,
    OP_BACKUPRAW = 4,
    OP_RESTORE = 5,
    OP_ISDATAVALID = 6,
};

// Asked between units of work with a pointer to a copy of the operation kind;
// returning 0 cancels the operation.
typedef int(CALLBACK* ContinueCallback)(int* operation);

// The four registered window messages.
#define QXFM_PROGRESS_INT_MESSAGE u"ProgressIntMessage"
#define QXFM_PROGRESS_STR_MESSAGE u"ProgressStrMessage"
#define QXFM_OPERATION_STR_MESSAGE u"OperationStrMessage"
#define QXFM_ERROR_STR_MESSAGE u"ErrorStrMessage"

// wParam of OperationStrMessage.
enum QxfmOperationCode {
    MSG_OPERATION_AUTO_SELECTION_START = 1,
    MSG_OPERATION_AUTO_SELECTION_END = 2,
    MSG_OPERATION_USER_SELECTION_START = 3,
    MSG_OPERATION_USER_SELECTION_END = 4,
    MSG_OPERATION_BACKUP_START = 5,
    MSG_OPERATION_BACKUP_APPEND_START = 6,
    MSG_OPERATION_BACKUP_APPEND_END = 7,
    MSG_OPERATION_BACKUP_END = 8,
    MSG_OPERATION_BACKUPRAW_START = 9,
    MSG_OPERATION_BACKUPRAW_END = 10,
    MSG_OPERATION_RESTORE_START = 11,
    MSG_OPERATION_RESTORE_END = 12,
    MSG_OPERATION_ISDATAVALID_START = 13,
    MSG_OPERATION_ISDATAVALID_END = 14,
    MSG_OPERATION_LOAD_TYPE_LIST_SUCCESS = 15,
    MSG_OPERATION_SCAN_DRIVE = 16,
};

// wParam of ErrorStrMessage (negative codes; a positive wParam is a system error code).
enum QxfmErrorCode {
    MSG_ERROR_DELETE_FOLDER_DANGEROUS = -224,
    MSG_ERROR_PATH_LONGER_THAN_260 = -226,
    MSG_ERROR_SHORTCUT_FAILED = -227,
    MSG_ERROR_DATA_UNVALID = -228,
    MSG_ERROR_OPERATION_CONFLICT = -229,
    MSG_ERROR_CREATE_DIRECTORY_FAILED = -230,
    MSG_ERROR_CREATE_SOURCELIST_FAILED = -231,
    MSG_ERROR_WIM_RESTOR_FAILED = -232,
    MSG_ERROR_WIM_SPLIT_SIZE_TOOSMALL = -233,
    MSG_ERROR_WIM_SPLIT_FAILED = -234,
    MSG_ERROR_WIM_MSG_ERROR = -235,
    MSG_ERROR_BACKUP_APPEND_FAILED = -236,
    MSG_ERROR_BACKUPRAW_FAILED = -237,
    MSG_ERROR_SCANDATA_CANNOT_FIND = -238,
    MSG_ERROR_COPYDATA_CANNOT_FIND = -239,
    MSG_ERROR_COPYDATA_FAILED = -240,
    MSG_ERROR_COPYDATA_NOSPACE_FAILED = -242,
    MSG_ERROR_UNSERIALIZATION_FAILED = -243,
    MSG_ERROR_SERIALIZATION_FAILED = -244,
    MSG_ERROR_BIGFILES_MERGE_FAILED = -245,
    MSG_ERROR_BIGFILES_SPLIT_FAILED = -246,
    MSG_ERROR_DRIVE_INFO_FAILED = -249,
    MSG_ERROR_DRIVE_OPEN_FAILED = -250,
    MSG_ERROR_DRIVE_INVALID = -251,
    MSG_ERROR_SCAN_FOLDER_FAILED = -252,
    MSG_ERROR_LOAD_TYPE_LIST_FAILED = -253,
    MSG_ERROR_LOAD_TYPE_ARRAY_FAILED = -254,
};

// lParam of ProgressIntMessage.
enum QxfmProgressPhase {
    PHASE_SCAN = 0,
    PHASE_BACKUP_PREPARE = 1,
    PHASE_CAPTURE = 2,
    PHASE_SPLIT = 3,
    PHASE_APPLY = 4,
    PHASE_MERGE = 5,
};

// One row of the code tables: the code, its code word and the debug-log text
// (a format for the rows with %s or %d; null where the code has no text).
struct QxfmCodeText {
    int code;
    const WCHAR* word;
    const WCHAR* text;
};

inline constexpr QxfmCodeText kQxfmOperationCodes[] = {
    {1, u"MSG_OPERATION_AUTO_SELECTION_START", u"MSG_OPERATION_AUTO_SELECTION_START - Auto selection start!"},
    {2, u"MSG_OPERATION_AUTO_SELECTION_END", u"MSG_OPERATION_AUTO_SELECTION_END - Auto selection end!"},
    {3, u"MSG_OPERATION_USER_SELECTION_START", u"MSG_OPERATION_USER_SELECTION_START - User selection start!"},
    {4, u"MSG_OPERATION_USER_SELECTION_END", u"MSG_OPERATION_USER_SELECTION_END - User selection end!"},
    {5, u"MSG_OPERATION_BACKUP_START", u"MSG_OPERATION_BACKUP_START - Backup testing start!"},
    {6, u"MSG_OPERATION_BACKUP_APPEND_START",
     u"MSG_OPERATION_BACKUP_APPEND_START - Will create or append Image file: %s"},
    {7, u"MSG_OPERATION_BACKUP_APPEND_END",
     u"MSG_OPERATION_BACKUP_APPEND_END - Backup Drive: %s, File type: %s testing OK!"},
    {8, u"MSG_OPERATION_BACKUP_END", nullptr},
    {9, u"MSG_OPERATION_BACKUPRAW_START", u"MSG_OPERATION_BACKUPRAW_START - BackupRaw testing start!"},
    {10, u"MSG_OPERATION_BACKUPRAW_END", nullptr},
    {11, u"MSG_OPERATION_RESTORE_START", u"MSG_OPERATION_RESTORE_START - Restore testing start!"},
    {12, u"MSG_OPERATION_RESTORE_END", u"MSG_OPERATION_RESTORE_END - Restore testing OK!"},
    {13, u"MSG_OPERATION_ISDATAVALID_START", u"MSG_OPERATION_ISDATAVALID_START - Start to Data Valid testing!"},
    {14, u"MSG_OPERATION_ISDATAVALID_END", u"MSG_OPERATION_ISDATAVALID_END - Data Valid testing OK!"},
    {15, u"MSG_OPERATION_LOAD_TYPE_LIST_SUCCESS",
     u"MSG_OPERATION_LOAD_TYPE_LIST_SUCCESS - Load type list successfully!"},
    {16, u"MSG_OPERATION_SCAN_DRIVE", u"MSG_OPERATION_SCAN_DRIVE - You will scan %s"},
};

inline constexpr QxfmCodeText kQxfmErrorCodes[] = {
    {-224, u"MSG_ERROR_DELETE_FOLDER_DANGEROUS",
     u"MSG_ERROR_DELETE_FOLDER_DANGEROUS - The path: %s you want to delete folder is dangerous! Now Stop!"},
    {-226, u"MSG_ERROR_PATH_LONGER_THAN_260",
     u"MSG_ERROR_PATH_LONGER_THAN_260 - Warnning Path of the File: %s is longer than 260"},
    {-227, u"MSG_ERROR_SHORTCUT_FAILED", u"MSG_ERROR_SHORTCUT_FAILED - Failed to create short cut: %s"},
    {-228, u"MSG_ERROR_DATA_UNVALID", u"MSG_ERROR_DATA_UNVALID - Failed to Data Valid testing! Data %s not found"},
    {-229, u"MSG_ERROR_OPERATION_CONFLICT", u"MSG_ERROR_OPERATION_CONFLICT - Other operation has been start!"},
    {-230, u"MSG_ERROR_CREATE_DIRECTORY_FAILED", u"MSG_ERROR_CREATE_DIRECTORY_FAILED - Can't create directory %s !"},
    {-231, u"MSG_ERROR_CREATE_SOURCELIST_FAILED",
     u"MSG_ERROR_CREATE_SOURCELIST_FAILED - Create source list log file failed!"},
    {-232, u"MSG_ERROR_WIM_RESTOR_FAILED", u"MSG_ERROR_WIM_RESTOR_FAILED - Restore testing failed!"},
    {-233, u"MSG_ERROR_WIM_SPLIT_SIZE_TOOSMALL",
     u"MSG_ERROR_WIM_SPLIT_SIZE_TOOSMALL - Failure, file size or split size are too small!"},
    {-234, u"MSG_ERROR_WIM_SPLIT_FAILED", nullptr},
    {-235, u"MSG_ERROR_WIM_MSG_ERROR", u"MSG_ERROR_WIM_MSG_ERROR - file: %s ...failed! error code: %d"},
    {-236, u"MSG_ERROR_BACKUP_APPEND_FAILED", u"Backup Drive: %s, File type: %s testing failed!"},
    {-237, u"MSG_ERROR_BACKUPRAW_FAILED", nullptr},
    {-238, u"MSG_ERROR_SCANDATA_CANNOT_FIND", u"MSG_ERROR_SCANDATA_CANNOT_FIND - %s file can't be found!"},
    {-239, u"MSG_ERROR_COPYDATA_CANNOT_FIND", u"MSG_ERROR_COPYDATA_CANNOT_FIND - %s file can't be found!"},
    {-240, u"MSG_ERROR_COPYDATA_FAILED", u"MSG_ERROR_COPYDATA_FAILED - Copy %s file failed!"},
    {-242, u"MSG_ERROR_COPYDATA_NOSPACE_FAILED",
     u"MSG_ERROR_COPYDATA_NOSPACE_FAILED - File %s are larger than destination drive!"},
    {-243, u"MSG_ERROR_UNSERIALIZATION_FAILED", u"MSG_ERROR_UNSERIALIZATION_FAILED - Do un-serialization failed!"},
    {-244, u"MSG_ERROR_SERIALIZATION_FAILED", u"MSG_ERROR_SERIALIZATION_FAILED - Do serialization failed!"},
    {-245, u"MSG_ERROR_BIGFILES_MERGE_FAILED", u"MSG_ERROR_BIGFILES_MERGE_FAILED - Do big files merge failed!"},
    {-246, u"MSG_ERROR_BIGFILES_SPLIT_FAILED", u"MSG_ERROR_BIGFILES_SPLIT_FAILED - Do big files split failed!"},
    {-249, u"MSG_ERROR_DRIVE_INFO_FAILED", u"MSG_ERROR_DRIVE_INFO_FAILED - Unable to get %s drive info!"},
    {-250, u"MSG_ERROR_DRIVE_OPEN_FAILED", u"MSG_ERROR_DRIVE_OPEN_FAILED - Unable to open %s drive!"},
    {-251, u"MSG_ERROR_DRIVE_INVALID", u"MSG_ERROR_DRIVE_INVALID - Drive %s is not a Hard Drive!"},
    {-252, u"MSG_ERROR_SCAN_FOLDER_FAILED",
     u"MSG_ERROR_SCAN_FOLDER_FAILED - Scan folder failed and operation will be canceled!"},
    {-253, u"MSG_ERROR_LOAD_TYPE_LIST_FAILED",
     u"MSG_ERROR_LOAD_TYPE_LIST_FAILED - Can't open type list file %s, error = %u"},
    {-254, u"MSG_ERROR_LOAD_TYPE_ARRAY_FAILED",
     u"MSG_ERROR_LOAD_TYPE_ARRAY_FAILED - You don't put the type list! scan failed"},
};

// Under the extended protocol (below), Backup tells on OperationStrMessage what
// it does with each listed file it does not store for a reason of the host's
// own choosing, with the file's path as lParam: one the exclusion list names,
// and one of no chosen category. Just before MSG_OPERATION_BACKUP_END,
// QXFM_OPERATION_FILES_STORED carries in lParam the number of listed files it
// stored (a file listed twice counts once). Byte counts go in lParam as
// numbers: QXFM_OPERATION_BYTES_TO_STORE, once the listed files are prepared,
// the bytes of those the captures are to take; QXFM_OPERATION_BYTES_STORED,
// just after ..._FILES_STORED, the bytes of the files stored. Restore posts
// QXFM_OPERATION_RESTORE_FOLDER with the path of the dated folder it made as
// lParam (a BSTR) once it is made.
#define QXFM_OPERATION_FILE_EXCLUDED 17
#define QXFM_OPERATION_FILE_OF_NO_CATEGORY 18
#define QXFM_OPERATION_FILES_STORED 19
#define QXFM_OPERATION_BYTES_TO_STORE 20
#define QXFM_OPERATION_BYTES_STORED 21
#define QXFM_OPERATION_RESTORE_FOLDER 22

// Texts whose address Backup posts as wParam instead of a code.
inline constexpr const WCHAR* kQxfmTextNoFileInList =
    u"MSG_ERROR_NO_FILE_IN_LIST - Your input file list contains no file!";
inline constexpr const WCHAR* kQxfmTextFileListSizeFailed =
    u"MSG_ERROR_FILE_LIST_SIZE_FAILED - You do not give the size of input file list array!";

// The row of a code, or null.
inline const QxfmCodeText* QxfmFindOperationCode(int code) {
    for (const auto& row : kQxfmOperationCodes)
        if (row.code == code) return &row;
    return nullptr;
}
inline const QxfmCodeText* QxfmFindErrorCode(int code) {
    for (const auto& row : kQxfmErrorCodes)
        if (row.code == code) return &row;
    return nullptr;
}

// The host protocol: what the notifications carry and what Backup returns.
// A host gets the documented protocol unless it asks for the extended one
// with SetHostProtocol.
//   QXFM_PROTOCOL_DOCUMENTED (1): the codes, their order and payloads of the
//     module's documentation; every long operation returns 0 or 1. Where the
//     module knows more than that protocol carries (the paths of files left
//     out, not copied or not found, a folder the scan could not list), the
//     debug log says it.
//   QXFM_PROTOCOL_EXTENDED (2): as documented, and besides: -235, -239, -240,
//     -242, -234 and -244 (a listed file that does not exist) carry the
//     file's path as a BSTR in lParam; Backup posts the notes
//     QXFM_OPERATION_FILE_EXCLUDED, ..._OF_NO_CATEGORY, ..._FILES_STORED and
//     the byte counts, and Restore its folder (above); -235 names
//     each file a capture leaves out, after the system error code posted
//     alone (also for a file that another writer locks, 32); -238 names no
//     path but is posted for every folder a scan could not list and every
//     file whose name no path can spell, also in a scan that succeeds; Backup
//     returns QXFM_BACKUP_NOT_SPLIT and QXFM_BACKUP_FILES_LEFT_OUT (below).
#define QXFM_PROTOCOL_DOCUMENTED 1
#define QXFM_PROTOCOL_EXTENDED 2

// Notifications whose lParam, when not 0, is a receiver-owned BSTR (the
// receiver frees it with SysFreeString) under the given protocol.
// ProgressStrMessage always carries one in wParam.
inline bool QxfmOperationLParamIsString(int code, int protocol = QXFM_PROTOCOL_DOCUMENTED) {
    return code == MSG_OPERATION_SCAN_DRIVE ||
           (protocol == QXFM_PROTOCOL_EXTENDED &&
            (code == QXFM_OPERATION_FILE_EXCLUDED || code == QXFM_OPERATION_FILE_OF_NO_CATEGORY ||
             code == QXFM_OPERATION_RESTORE_FOLDER));
}
inline bool QxfmErrorLParamIsString(int code, int protocol = QXFM_PROTOCOL_DOCUMENTED) {
    if (code == MSG_ERROR_DELETE_FOLDER_DANGEROUS || code == MSG_ERROR_PATH_LONGER_THAN_260 ||
        code == MSG_ERROR_DRIVE_INFO_FAILED || code == MSG_ERROR_DRIVE_INVALID)
        return true;
    return protocol == QXFM_PROTOCOL_EXTENDED &&
           (code == MSG_ERROR_COPYDATA_CANNOT_FIND || code == MSG_ERROR_COPYDATA_FAILED ||
            code == MSG_ERROR_COPYDATA_NOSPACE_FAILED || code == MSG_ERROR_WIM_SPLIT_FAILED ||
            code == MSG_ERROR_WIM_MSG_ERROR || code == MSG_ERROR_SERIALIZATION_FAILED);
}
// True when a wParam is the address of one of the module's constant texts
// (kQxfmTextNoFileInList, kQxfmTextFileListSizeFailed) rather than a code.
inline bool QxfmWParamIsText(WPARAM wParam) {
    const LONG_PTR v = static_cast<LONG_PTR>(wParam);
    return v > 0xFFFF || v < -0xFFFF;
}

// Backup's result: 0 is a complete backup, split as asked; 1 a failure, which
// leaves an earlier backup in the same folder as it was. Under the documented
// protocol a backup that was saved and restores but is not all that was asked
// for (its image could not be split, or files were left out) returns 1 as
// well: the image set and the catalog are kept, and the debug log says why.
// Under the extended protocol such a backup returns one or both of these bits:
//   QXFM_BACKUP_NOT_SPLIT (2): its image could not be split into parts:
//     imageFiles holds the one unsplit ".wim", the catalog names it, and -234
//     was posted with the path that kept the split from working (a file larger
//     than the part size, or a piece name already taken).
//   QXFM_BACKUP_FILES_LEFT_OUT (4): files that exist could not be stored and
//     are neither in the image nor in SourceFileList.log. Each is named with
//     its path as lParam: -235 when the capture left it out (a name that is
//     not valid UTF-8; the ErrorStrMessage just before carries the system
//     error code, 1113; a folder left out so takes every file of the backup
//     below it along; 123 for a name that holds a character no path can,
//     such as a colon, a wildcard or a control character; 1920 for a file
//     that lies behind a link or mount point, or is one, since the image
//     keeps the link without what it leads to; 2 for a file no capture
//     took), -239 when an over-length file could not be copied into an
//     exception folder. A listed file that does not exist is named by -244
//     with its path (under the documented protocol -244 carries 0), and
//     counts as left out too.
// Both: 6. Every listed file is stored, excluded (QXFM_OPERATION_FILE_EXCLUDED),
// of no chosen category (QXFM_OPERATION_FILE_OF_NO_CATEGORY), or named as above.
#define QXFM_BACKUP_NOT_SPLIT 2
#define QXFM_BACKUP_FILES_LEFT_OUT 4

extern "C" {
QXFM_API int SetDebugLogFileName(CString fileName);
QXFM_API int SetRestoreRootName(CString rootName);
QXFM_API int SetExclusionFileList(std::vector<CString>* exclusionList);
QXFM_API int ScanFileArraySizeByPredefinedType(HWND* hostWindow, CString scanPath, CString typeListFile,
                                               std::vector<CString>* categories, ULONGLONG* fileCount,
                                               ContinueCallback continueCallback);
QXFM_API int GetFileArrayByPredefinedType(std::vector<CString>* fileList, ULONGLONG* totalSize);
QXFM_API int GetFileArrayByUserSelection(HWND* hostWindow, CString ignoredText);
QXFM_API int Backup(HWND* hostWindow, std::vector<CString>* fileList, CString typeListFile,
                    std::vector<CString>* categories, CString destinationFolder, CString imageName, BOOL splitImage,
                    int splitSizeMB, int compressionType, std::vector<CString>* imageFiles,
                    ContinueCallback continueCallback);
// BackupRaw copies the files into destinationFolder\<"%Y-%m-%d %H%M%S">, a
// folder of its own (" (2)" ... is added when a backup of the same second has
// that name), below <drive letter>\<path> with the names, and the attributes of
// files and folders, as on disk. Listed files that do not exist are named by
// -239 and left out. The outcome is one of three:
//   0  every existing file was copied, and SourceFileList.log lists them;
//   1  no listed file exists, or some could not be copied (each named by -240,
//      a file whose name holds a character no path can among them):
//      the folder stays with the copies made, without a list;
//   1  cancelled at any continue-callback call (after a copy or during the list
//      write), or a file larger than the free space (-242): nothing of this
//      run is left, neither the time-stamped folder nor the destination
//      folders it made.
// Under the extended protocol -239, -240 and -242 carry the file's path as lParam.
QXFM_API int BackupRaw(HWND* hostWindow, std::vector<CString>* fileList, CString destinationFolder,
                       ContinueCallback continueCallback);
// Restore writes only below restoreTarget\System Recovery Files\<"%Y-%m-%d
// %H%M%S">, a folder of its own (" (2)" ... when a restore of the same second
// has that name). 0 when everything stored for the chosen categories came
// back (a category without an image on a drive is nothing missing); 1 when
// the catalog cannot be read or lists no drive, an apply fails or is
// cancelled (the pieces it left are removed), an item of an image cannot be
// made under its name (its system error, then -235, with its path under the extended protocol; the rest is
// restored), a big file cannot be rebuilt (-245; its pieces stay, nothing
// under its name, the debug log names it), an entry is refused because
// its path runs through a link or mount point (logged with the entry and its
// reparse tag), or a shortcut or exception list cannot be written.
QXFM_API int Restore(HWND* hostWindow, CString backupFolder, std::vector<CString>* categories, CString restoreTarget,
                     ContinueCallback continueCallback);
// 0 when every image file of the catalog is in folder, by its file name (where
// Restore reads it), and is the right part of one image set; else 1 (-228).
// What a killed backup into folder left is finished first, as the next Backup
// or Restore would, unless an operation runs.
QXFM_API int IsDataValid(CString folder);
QXFM_API int GetCategoriesFromSerializationData(CString folder, std::vector<CString>* categories);
// 0 when the folder is gone afterwards; 1 when it was refused (-224) or when
// anything of it stayed (each entry that could not be deleted is logged).
QXFM_API int DeleteFolder(CString folder);
// Chooses the protocol of the notifications and results for the operations
// that start after it (QXFM_PROTOCOL_DOCUMENTED, the default, or
// QXFM_PROTOCOL_EXTENDED). 0 when the module speaks it; 1 for a version it
// does not know, which leaves the protocol as it was (the debug log says so).
QXFM_API int SetHostProtocol(int version);
}

// Pointer types for hosts that load the module at run time (dlopen and dlsym
// with the plain names above).
typedef int (*PFN_SetDebugLogFileName)(CString);
typedef int (*PFN_SetRestoreRootName)(CString);
typedef int (*PFN_SetExclusionFileList)(std::vector<CString>*);
typedef int (*PFN_ScanFileArraySizeByPredefinedType)(HWND*, CString, CString, std::vector<CString>*, ULONGLONG*,
                                                     ContinueCallback);
typedef int (*PFN_GetFileArrayByPredefinedType)(std::vector<CString>*, ULONGLONG*);
typedef int (*PFN_GetFileArrayByUserSelection)(HWND*, CString);
typedef int (*PFN_Backup)(HWND*, std::vector<CString>*, CString, std::vector<CString>*, CString, CString, BOOL, int,
                          int, std::vector<CString>*, ContinueCallback);
typedef int (*PFN_BackupRaw)(HWND*, std::vector<CString>*, CString, ContinueCallback);
typedef int (*PFN_Restore)(HWND*, CString, std::vector<CString>*, CString, ContinueCallback);
typedef int (*PFN_IsDataValid)(CString);
typedef int (*PFN_GetCategoriesFromSerializationData)(CString, std::vector<CString>*);
typedef int (*PFN_DeleteFolder)(CString);
typedef int (*PFN_SetHostProtocol)(int);

// The entry points as a host holds them after loading the module: the twelve
// documented ones and SetHostProtocol.
struct QxfmEntryPoints {
    PFN_SetDebugLogFileName SetDebugLogFileName = nullptr;
    PFN_SetRestoreRootName SetRestoreRootName = nullptr;
    PFN_SetExclusionFileList SetExclusionFileList = nullptr;
    PFN_ScanFileArraySizeByPredefinedType ScanFileArraySizeByPredefinedType = nullptr;
    PFN_GetFileArrayByPredefinedType GetFileArrayByPredefinedType = nullptr;
    PFN_GetFileArrayByUserSelection GetFileArrayByUserSelection = nullptr;
    PFN_Backup Backup = nullptr;
    PFN_BackupRaw BackupRaw = nullptr;
    PFN_Restore Restore = nullptr;
    PFN_IsDataValid IsDataValid = nullptr;
    PFN_GetCategoriesFromSerializationData GetCategoriesFromSerializationData = nullptr;
    PFN_DeleteFolder DeleteFolder = nullptr;
    PFN_SetHostProtocol SetHostProtocol = nullptr;

    // Fills every pointer from lookup(name) (dlsym, GetProcAddress); returns
    // the first name that lookup did not find, or null when all were found.
    template <class Lookup>
    const char* Resolve(Lookup lookup) {
        const char* missing = nullptr;
        auto take = [&](auto& entry, const char* name) {
            entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(lookup(name));
            if (!entry && !missing) missing = name;
        };
        take(SetDebugLogFileName, "SetDebugLogFileName");
        take(SetRestoreRootName, "SetRestoreRootName");
        take(SetExclusionFileList, "SetExclusionFileList");
        take(ScanFileArraySizeByPredefinedType, "ScanFileArraySizeByPredefinedType");
        take(GetFileArrayByPredefinedType, "GetFileArrayByPredefinedType");
        take(GetFileArrayByUserSelection, "GetFileArrayByUserSelection");
        take(Backup, "Backup");
        take(BackupRaw, "BackupRaw");
        take(Restore, "Restore");
        take(IsDataValid, "IsDataValid");
        take(GetCategoriesFromSerializationData, "GetCategoriesFromSerializationData");
        take(DeleteFolder, "DeleteFolder");
        take(SetHostProtocol, "SetHostProtocol");
        return missing;
    }
};
