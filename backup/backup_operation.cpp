#include "backup/backup_operation.h"

#include <algorithm>
#include <map>
#include <memory>

#include "api/dbglog.h"
#include "api/notify.h"
#include "api/operation_lock.h"
#include "api/path_parts.h"
#include "backup/file_preparation.h"
#include "api/file_utils.h"
#include "api/local_time.h"
#include "backup/over_length.h"
#include "catalog/serialization.h"
#include "image/capture_context.h"
#include "image/wim_file.h"
#include "restore/directories.h"
#include "selection/type_list.h"

namespace {

const ULONGLONG kMiB = 1048576;
const ULONGLONG kSmallestSplitBytes = 99 * kMiB;
const WCHAR kCaptureTempFolder[] = u"C:\\tmp";
const WCHAR kBackupLogCopy[] = u"%ssystem.sav\\logs\\Backup_%s";

CString Upper(CString s) { return s.MakeUpper(); }

// Removes what the backup made beside the user's files - the pieces of big
// files and the copies of over-length files - on whatever path the backup ends.
class MadeFilesCleanup {
public:
    MadeFilesCleanup(CQXSerialization& catalog, std::vector<CString>& copies) : m_catalog(catalog), m_copies(copies) {}
    ~MadeFilesCleanup() {
        try {
            Run();
        } catch (...) {
        }
    }
    void Run() {
        m_catalog.DeleteAllSplitFiles();
        DeleteFiles(&m_copies);
        m_copies.clear();
    }

private:
    CQXSerialization& m_catalog;
    std::vector<CString>& m_copies;
};

class BackupRun {
public:
    explicit BackupRun(const BackupRequest& request) : m_req(request) {}

    int Run() {
        g_pHostWnd = m_req.hostWindow;
        OpenDbgLogForOperation();
        if (!m_lock.Acquire()) {
            ReportOperationRefused(true);
            return 1;
        }
        if (!m_req.fileList) {
            CloseDbgLog();
            return 1;
        }
        m_working = *m_req.fileList;
        if (m_working.empty()) {
            CloseDbgLog();
            PostErrorText(kQxfmTextNoFileInList);
            return 1;
        }
        g_nOperation = OP_BACKUP;
        try {
            return Work();
        } catch (...) {
            const DWORD cause = GetLastError();
            CloseDbgLog();
            PostLastSystemError(cause);
            return 1;
        }
    }

private:
    int Work() {
        CQXSerialization catalog;
        MadeFilesCleanup cleanup(catalog, m_relocatedCopies);
        catalog.SetDebugLogPath(g_strDebugLogFile);
        g_pfnContinue = m_req.continueCallback;

        DbgLog(OperationText(MSG_OPERATION_BACKUP_START));
        PostOperation(MSG_OPERATION_BACKUP_START);
        if (!m_req.imageFiles || m_req.imageFiles->capacity() == 0) PostOperationText(kQxfmTextFileListSizeFailed);

        m_destination = WithBackslash(m_req.destinationFolder);
        CreateDirectories(m_destination);
        m_imagePath = m_destination + m_req.imageName + u".wim";
        m_imageDescription = m_req.imageName + u", " + LocalTimeText(u"%Y-%m-%d %H:%M:%S");

        LoadTypeList(m_req.typeListFile, m_req.categories, &m_types);
        catalog.SetTypeList(m_types);

        // A negative split size is taken as none.
        m_splitBytes = m_req.splitSizeMB > 0 ? static_cast<ULONGLONG>(m_req.splitSizeMB) * kMiB : 0;
        if (!Prepare(catalog)) {
            CloseDbgLog();
            return 1;
        }
        bool failed = CaptureAll(catalog);
        PostProgress(100, PHASE_CAPTURE);
        DbgLog(u"WIM_MSG_PROGRESS - now capture percentage: %d%%", 100);
        if (m_anyAppended && !failed) failed = Finish(catalog, cleanup);

        m_wim.reset();
        cleanup.Run();
        m_types.clear();
        PostOperation(MSG_OPERATION_BACKUP_END);
        CloseDbgLog();
        return failed ? 1 : 0;
    }

    // Enters every input file into the catalog. False when the host cancelled.
    bool Prepare(CQXSerialization& catalog) {
        ULONGLONG totalBytes = m_req.splitImage ? GetTotalSize(&m_working) : 0;
        ULONGLONG doneBytes = 0;
        UINT percent = 0;
        PostProgress(0, m_req.splitImage ? PHASE_BACKUP_PREPARE : PHASE_CAPTURE);
        const ULONGLONG threshold = m_req.splitImage ? m_splitBytes : ~0ULL;

        for (size_t i = 0; i < m_working.size();) {
            if (!AskContinue()) return false;
            CString sourcePath = m_working[i];
            CString current = sourcePath;
            if (IsOverLength(sourcePath)) {
                DbgLog(ErrorText(MSG_ERROR_PATH_LONGER_THAN_260), sourcePath.GetString());
                PostErrorPath(MSG_ERROR_PATH_LONGER_THAN_260, sourcePath);
                int copied = RelocateOverLength(current);
                if (current != sourcePath) m_relocatedCopies.push_back(current);
                if (copied) {
                    m_overLength[current] = sourcePath;
                    sourcePath = current;
                } else {
                    DbgLog(ErrorText(MSG_ERROR_COPYDATA_CANNOT_FIND), sourcePath.GetString());
                    PostError(MSG_ERROR_COPYDATA_CANNOT_FIND);
                }
            }
            if (!EnterFile(catalog, current, threshold)) {
                DbgLog(ErrorText(MSG_ERROR_SERIALIZATION_FAILED));
                PostError(MSG_ERROR_SERIALIZATION_FAILED);
                m_working.erase(m_working.begin() + static_cast<long>(i));
                continue;
            }
            PostProgressPath(current);
            if (m_req.splitImage) {
                doneBytes += GetFileSize64(sourcePath);
                if (totalBytes > 0) percent = static_cast<UINT>(doneBytes * 100 / totalBytes);
                PostProgress(percent, PHASE_BACKUP_PREPARE);
            }
            ++i;
        }
        if (m_req.splitImage) PostProgress(100, PHASE_BACKUP_PREPARE);
        return true;
    }

    // One capture per drive and category. Returns the failed flag.
    bool CaptureAll(CQXSerialization& catalog) {
        std::vector<DriveEntry> drives = catalog.GetDriveList();
        int imageIndex = 1;
        DWORD disposition = WIM_CREATE_ALWAYS;
        bool failed = true;
        g_capture.overallCapturePercent = 0;
        g_capture.overallPercent = 0;
        g_capture.stepCount = static_cast<int>(m_types.size() * drives.size());
        SetBigFileRules(catalog);

        for (const DriveEntry& drive : drives) {
            const CString& driveRoot = drive.Drive;
            for (const TypeEntry& type : m_types) {
                g_capture.categoryBytes = 0;
                m_wim.reset();
                m_wim = std::make_unique<CWimFile>(m_req.compressionType, WimMessageCallback);
                m_wim->m_strImageName = driveRoot.Left(2) + u" " + type.Category;  // "C: DOCUMENTS"
                m_wim->m_strImageDescription = m_imageDescription;
                g_capture.extensions = type.Extension;
                g_capture.category = type.Category;
                g_capture.listLog.Reset(u"[" + type.Category + u"]");
                catalog.GetCategoryFiles(g_arScanResult, type.Category);
                if (g_arScanResult.empty()) {
                    AdvanceCapturePercent();
                    continue;
                }
                DbgLog(OperationText(MSG_OPERATION_BACKUP_APPEND_START), m_imagePath.GetString());
                PostOperation(MSG_OPERATION_BACKUP_APPEND_START);
                if (m_wim->Capture(driveRoot, m_imagePath, kCaptureTempFolder, disposition)) {
                    DbgLog(OperationText(MSG_OPERATION_BACKUP_APPEND_END), driveRoot.GetString(),
                           type.Category.GetString());
                    PostOperation(MSG_OPERATION_BACKUP_APPEND_END);
                    CString totalLine;
                    totalLine.Format(u"File Total Size : %llu bytes", g_capture.categoryBytes);
                    g_capture.listLog.Append(totalLine);
                    WriteFileListLog(&g_capture.listLog.lines(), m_destination, m_anyAppended, FALSE);
                    disposition = WIM_OPEN_EXISTING;
                    m_anyAppended = true;
                    catalog.AddImageToDrive(driveRoot, imageIndex);
                    catalog.AddImageToType(type.Category, imageIndex);
                    TieBigFilesToImage(catalog, driveRoot, type.Category, imageIndex);
                    ++imageIndex;
                    failed = false;
                    AdvanceCapturePercent();
                } else {
                    if (AskContinue()) {
                        DbgLog(ErrorText(MSG_ERROR_BACKUP_APPEND_FAILED), driveRoot.GetString(),
                               type.Category.GetString());
                        PostError(MSG_ERROR_BACKUP_APPEND_FAILED);
                    }
                    DeleteFileForced(m_imagePath);
                    failed = true;
                    break;
                }
            }
            if (failed) break;
            CopyFileListLog(kBackupLogCopy, driveRoot, m_destination);
        }
        return failed;
    }

    // Split, image list, over-length map and catalog. Returns the failed flag.
    bool Finish(CQXSerialization& catalog, MadeFilesCleanup& cleanup) {
        g_capture.splitTemplate = m_destination + m_req.imageName + u".swm";
        g_capture.imageFiles = {m_imagePath};
        bool splitOk = true;
        if (m_splitBytes > kSmallestSplitBytes) {
            if (GetFileSize64(m_imagePath) > m_splitBytes) {
                PostProgress(0, PHASE_SPLIT);
                DbgLog(u"WIM_MSG_SPLIT - now splitting percentage: %d%%", 0);
                g_capture.splitProgress = 0;
                if (!m_wim->Split(m_imagePath, static_cast<LONGLONG>(m_splitBytes))) {
                    PostError(MSG_ERROR_WIM_SPLIT_FAILED);
                    DeleteFileForced(m_imagePath);
                    DeleteFiles(&g_capture.imageFiles);
                    g_capture.imageFiles.clear();
                    splitOk = false;
                }
            }
        } else {
            DbgLog(ErrorText(MSG_ERROR_WIM_SPLIT_SIZE_TOOSMALL));
            PostError(MSG_ERROR_WIM_SPLIT_SIZE_TOOSMALL);
        }
        if (splitOk) {
            PostProgress(100, PHASE_SPLIT);
            DbgLog(u"WIM_MSG_SPLIT - now splitting percentage: %d%%", 100);
        }
        if (!g_capture.imageFiles.empty()) {
            catalog.AppendImages(&g_capture.imageFiles);
            if (m_req.imageFiles) *m_req.imageFiles = g_capture.imageFiles;
        }
        if (!m_overLength.empty()) catalog.SetOverLengthMap(m_overLength);
        cleanup.Run();
        if (splitOk && catalog.Save(m_destination)) {
            DbgLog(u"Do serialization successfully!");
            return false;
        }
        return true;
    }

    void AdvanceCapturePercent() {
        if (g_capture.stepCount > 0)
            g_capture.overallCapturePercent =
                std::min<UINT>(100, g_capture.overallCapturePercent + 100 / g_capture.stepCount);
    }

    // The image callback leaves every big file out and takes its pieces in the
    // image of its category instead.
    static void SetBigFileRules(CQXSerialization& catalog) {
        g_capture.bigFiles.clear();
        g_capture.pieceCategories.clear();
        for (const FileNode& node : catalog.m_arBigFile) {
            g_capture.bigFiles.insert(Upper(node.suszPath).str());
            for (const CString& piece : node.splitPathArray)
                g_capture.pieceCategories[Upper(piece).str()] = node.Category;
        }
    }

    // The big files of a captured drive and category are restored from that image.
    static void TieBigFilesToImage(CQXSerialization& catalog, const CString& driveRoot, const CString& category,
                                   int imageIndex) {
        for (FileNode& node : catalog.m_arBigFile)
            if (DriveRootOf(node.suszPath) == driveRoot && node.Category.CompareNoCase(category) == 0)
                node.IndexofImage.push_back(imageIndex);
    }

    const BackupRequest& m_req;
    OperationLock m_lock;
    std::vector<CString> m_working;
    std::vector<TypeEntry> m_types;
    std::map<CString, CString> m_overLength;
    std::vector<CString> m_relocatedCopies;
    std::unique_ptr<CWimFile> m_wim;
    CString m_destination;
    CString m_imagePath;
    CString m_imageDescription;  // the backup's name and start time, given to every image
    ULONGLONG m_splitBytes = 0;
    bool m_anyAppended = false;
};

}  // namespace

int RunBackup(const BackupRequest& request) { return BackupRun(request).Run(); }
