#include "backup/backup_operation.h"

#include <algorithm>
#include <map>
#include <memory>

#include "services/dbglog.h"
#include "services/file_utils.h"
#include "services/local_time.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "services/piece_path.h"
#include "services/report_error.h"
#include "services/run_journal.h"
#include "backup/capture_selection.h"
#include "backup/file_preparation.h"
#include "backup/on_disk_names.h"
#include "backup/over_length.h"
#include "catalog/serialization.h"
#include "image/capture_context.h"
#include "image/wim_file.h"
#include "folders/directories.h"
#include "selection/type_list.h"

namespace {

const ULONGLONG kMiB = 1048576;
const ULONGLONG kSmallestSplitBytes = 99 * kMiB;
const WCHAR kBackupLogCopy[] = u"%ssystem.sav\\logs\\Backup_%s";
const WCHAR kCatalogName[] = u"Tarvolen.fbu";
const WCHAR kSourceListName[] = u"SourceFileList.log";
const WCHAR kWorkFolderSuffix[] = u".incomplete";

CString FileNameOf(const CString& path) { return path.Mid(path.ReverseFind(u'\\') + 1); }

bool IsImageFileName(const CString& name) {
    const CString ext = name.Right(4);
    return ext.CompareNoCase(u".wim") == 0 || ext.CompareNoCase(u".swm") == 0;
}

// Replays the run's journal on whatever path the backup ends: what the run
// made beside the user's files goes, a committed new set moves into place.
class JournalReplay {
public:
    explicit JournalReplay(RunJournal& journal) : m_journal(journal) {}
    ~JournalReplay() {
        try {
            Run();
        } catch (...) {
        }
    }
    bool Run() {
        if (m_done) return m_replayed;
        m_done = true;
        m_replayed = m_journal.Replay();
        return m_replayed;
    }

private:
    RunJournal& m_journal;
    bool m_done = false;
    bool m_replayed = false;
};

class BackupRun {
public:
    explicit BackupRun(const BackupRequest& request) : m_req(request) {}

    // See RunBackup.
    bool Run(int* flags) {
        m_working = *m_req.fileList;
        CQXSerialization catalog;
        catalog.SetDebugLogPath(g_strDebugLogFile);
        if (!m_req.imageFiles || m_req.imageFiles->capacity() == 0) PostOperationText(kQxfmTextFileListSizeFailed);

        m_destination = WithBackslash(m_req.destinationFolder);
        CreateDirectories(m_destination);
        RunJournal journal(m_destination);
        m_journal = &journal;
        if (!StartJournal()) {
            const DWORD cause = GetLastError();
            DbgLog(u"The backup folder %s cannot keep a journal, error %d", m_destination.GetString(),
                   static_cast<int>(cause));
            PostLastSystemError(cause);
            return false;
        }
        JournalReplay replay(journal);
        m_imagePath = m_work + m_req.imageName + u".wim";
        m_imageDescription = m_req.imageName + u", " + LocalTimeText(u"%Y-%m-%d %H:%M:%S");

        LoadTypeList(m_req.typeListFile, m_req.categories, &m_types);
        catalog.SetTypeList(m_types);

        // A negative split size is taken as none.
        m_splitBytes = m_req.splitSizeMB > 0 ? static_cast<ULONGLONG>(m_req.splitSizeMB) * kMiB : 0;
        if (!Prepare(catalog)) return false;
        // The images keep the folders' own times, not those of adding pieces and copies.
        m_journal->RestoreFolderTimes();
        bool complete = CaptureAll(catalog);
        PostProgress(100, PHASE_CAPTURE);
        DbgLog(u"WIM_MSG_PROGRESS - now capture percentage: %d%%", 100);
        complete = complete && Finish(catalog);

        m_wim.reset();
        if (!replay.Run()) complete = false;
        m_types.clear();
        PostOperation(MSG_OPERATION_BACKUP_END);
        const bool leftOut = m_notCopiedAside || !m_capture.leftOut.empty();
        *flags = (m_notSplit ? QXFM_BACKUP_NOT_SPLIT : 0) | (leftOut ? QXFM_BACKUP_FILES_LEFT_OUT : 0);
        return complete;
    }

private:
    // Finishes what a killed earlier run left, starts this run's journal and
    // makes the work folder that receives the new set.
    bool StartJournal() {
        if (!RunJournal::ReplayLeft(m_destination) || !m_journal->Open()) return false;
        CString folder;
        if (!m_journal->MakeWorkFolder(m_destination + m_req.imageName + kWorkFolderSuffix, &folder)) return false;
        m_work = WithBackslash(folder);
        m_capture.workFolder = m_work;
        m_capture.hostFolder = m_destination;
        return true;
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
            CString sourcePath;
            ULONGLONG size = 0;
            bool found = m_names.Find(m_working[i], &sourcePath, &size);
            if (!found && HoldsANameNoPathCan(sourcePath)) {
                // There is a file, but its name holds a character no path of
                // this system can: it cannot be opened, nor stored.
                LeaveOutUnnamable(sourcePath);
                m_working.erase(m_working.begin() + static_cast<long>(i));
                continue;
            }
            CString current = sourcePath;
            if (IsOverLength(sourcePath)) {
                ReportErrorPath(MSG_ERROR_PATH_LONGER_THAN_260, sourcePath);
                if (RelocateOverLength(current, *m_journal)) {
                    m_overLength[current] = sourcePath;
                    sourcePath = current;
                } else {
                    // The file is there, but it cannot enter an image without its copy.
                    ReportErrorPath(MSG_ERROR_COPYDATA_CANNOT_FIND, sourcePath);
                    m_notCopiedAside = true;
                    found = false;
                }
            }
            const size_t bigFilesBefore = catalog.m_arBigFile.size();
            if (!found || !EnterFile(catalog, current, size, threshold, *m_journal)) {
                ReportError(MSG_ERROR_SERIALIZATION_FAILED);
                m_working.erase(m_working.begin() + static_cast<long>(i));
                continue;
            }
            if (m_splitBytes > 0 && size > m_splitBytes && catalog.m_arBigFile.size() == bigFilesBefore)
                m_wholeBigFiles.push_back({current, size});
            PostProgressPath(current);
            if (m_req.splitImage) {
                doneBytes += size;
                if (totalBytes > 0) percent = static_cast<UINT>(doneBytes * 100 / totalBytes);
                PostProgress(percent, PHASE_BACKUP_PREPARE);
            }
            ++i;
        }
        if (m_req.splitImage) PostProgress(100, PHASE_BACKUP_PREPARE);
        return true;
    }

    // A listed file left out as the capture leaves out one whose name the
    // image cannot hold: logged and named with -235 after its error code.
    void LeaveOutUnnamable(const CString& path) {
        DbgLog(u"MSG_ERROR_WIM_MSG_ERROR - file: %s ...failed! error code: %d", path.GetString(),
               static_cast<int>(ERROR_INVALID_NAME));
        PostError(ERROR_INVALID_NAME);
        PostErrorPath(MSG_ERROR_WIM_MSG_ERROR, path, ERROR_INVALID_NAME);
        m_capture.leftOut.push_back(path);
    }

    // One capture per drive and category into the work folder. True when none
    // failed and at least one image was made.
    bool CaptureAll(CQXSerialization& catalog) {
        std::vector<DriveEntry> drives = catalog.GetDriveList();
        const CaptureSelection selection(catalog);
        int imageIndex = 1;
        DWORD disposition = WIM_CREATE_ALWAYS;
        m_capture.stepCount = static_cast<int>(m_types.size() * drives.size());

        for (const DriveEntry& drive : drives) {
            const CString& driveRoot = drive.Drive;
            for (const TypeEntry& type : m_types) {
                m_capture.categoryBytes = 0;
                m_wim.reset();
                m_wim = std::make_unique<CWimFile>(m_req.compressionType, WimMessageCallback, &m_capture);
                m_wim->SetImageInformation(driveRoot.Left(2) + u" " + type.Category,  // "C: DOCUMENTS"
                                           m_imageDescription);
                m_capture.extensions = type.Extension;
                m_capture.taken = &selection.Of(driveRoot, type.Category);
                m_capture.listLog.Reset(u"[" + type.Category + u"]");
                // A category with files on any drive is captured on every drive.
                const CategoryFiles* files = catalog.FindCategoryFiles(type.Category);
                if (!files || files->arFileList.empty()) {
                    m_capture.FinishStep();
                    continue;
                }
                DbgLog(OperationText(MSG_OPERATION_BACKUP_APPEND_START),
                       m_capture.AsTheHostNamesIt(m_imagePath).GetString());
                PostOperation(MSG_OPERATION_BACKUP_APPEND_START);
                const bool captured = m_wim->Capture(driveRoot, m_imagePath, disposition);
                m_capture.taken = nullptr;
                if (captured) {
                    DbgLog(OperationText(MSG_OPERATION_BACKUP_APPEND_END), driveRoot.GetString(),
                           type.Category.GetString());
                    PostOperation(MSG_OPERATION_BACKUP_APPEND_END);
                    CString totalLine;
                    totalLine.Format(u"File Total Size : %llu bytes", m_capture.categoryBytes);
                    m_capture.listLog.Append(totalLine);
                    WriteFileListLog(&m_capture.listLog.lines(), m_work, m_anyAppended, FALSE);
                    disposition = WIM_OPEN_EXISTING;
                    m_anyAppended = true;
                    catalog.AddImageToDrive(driveRoot, imageIndex);
                    catalog.AddImageToType(type.Category, imageIndex);
                    TieBigFilesToImage(catalog, driveRoot, type.Category, imageIndex);
                    ++imageIndex;
                    m_capture.FinishStep();
                } else {
                    if (AskContinue())
                        ReportError(MSG_ERROR_BACKUP_APPEND_FAILED, driveRoot.GetString(), type.Category.GetString());
                    return false;
                }
            }
            CopyFileListLog(kBackupLogCopy, driveRoot, m_work);
        }
        return m_anyAppended;
    }

    // Split, image list, over-length map and catalog, all in the work folder,
    // then the commit of the new set. True when the new set is in place.
    bool Finish(CQXSerialization& catalog) {
        m_capture.splitTemplate = m_work + m_req.imageName + u".swm";
        m_capture.imageFiles = {m_imagePath};
        if (m_splitBytes > kSmallestSplitBytes) {
            const ULONGLONG imageBytes = GetFileSize64(m_imagePath);
            if (imageBytes > m_splitBytes) {
                PostProgress(0, PHASE_SPLIT);
                DbgLog(u"WIM_MSG_SPLIT - now splitting percentage: %d%%", 0);
                m_capture.splitTotal = imageBytes;
                if (!m_wim->Split(m_imagePath, static_cast<LONGLONG>(m_splitBytes))) {
                    const DWORD error = GetLastError();
                    if (!AskContinue()) return false;  // cancelled while splitting
                    ReportSplitFailure(error);
                    m_capture.imageFiles = {m_imagePath};  // the unsplit image stays and is the backup
                    m_notSplit = true;
                }
            }
        } else {
            ReportError(MSG_ERROR_WIM_SPLIT_SIZE_TOOSMALL);
        }
        if (!m_notSplit) {
            PostProgress(100, PHASE_SPLIT);
            DbgLog(u"WIM_MSG_SPLIT - now splitting percentage: %d%%", 100);
        }
        std::vector<std::pair<CString, CString>> moves;
        std::vector<CString> finalNames;
        for (const CString& made : m_capture.imageFiles) {
            finalNames.push_back(m_destination + FileNameOf(made));
            moves.push_back({made, finalNames.back()});
        }
        catalog.AppendImages(&finalNames);
        if (m_req.imageFiles) *m_req.imageFiles = finalNames;
        if (!m_overLength.empty()) catalog.SetOverLengthMap(m_overLength);
        // The host's last chance to cancel: until the commit the old backup is
        // untouched, and once the catalog is saved the backup goes through.
        if (!AskContinue()) return false;
        if (!catalog.Save(m_work)) return false;
        DbgLog(u"Do serialization successfully!");
        if (IsExistingFile(m_work + kSourceListName))
            moves.push_back({m_work + kSourceListName, m_destination + kSourceListName});
        moves.push_back({m_work + kCatalogName, m_destination + kCatalogName});
        return m_journal->Commit(moves, ObsoleteImages(finalNames));
    }

    // -234 names the cause: the first file stored whole although it is larger
    // than the part size, or the piece name that kept it from being cut.
    void ReportSplitFailure(DWORD error) {
        for (const WholeBigFile& file : m_wholeBigFiles) {
            for (ULONGLONG k = 0; k <= file.size / m_splitBytes; ++k) {
                const CString piece = PiecePath(file.path, k);
                if (!IsExistingFile(piece)) continue;
                DbgLog(u"MSG_ERROR_WIM_SPLIT_FAILED - The image stays whole: %s was not cut, the name %s is taken",
                       file.path.GetString(), piece.GetString());
                PostErrorPath(MSG_ERROR_WIM_SPLIT_FAILED, piece);
                return;
            }
            DbgLog(u"MSG_ERROR_WIM_SPLIT_FAILED - The image stays whole: %s is larger than the part size",
                   file.path.GetString());
            PostErrorPath(MSG_ERROR_WIM_SPLIT_FAILED, file.path);
            return;
        }
        const CString image = m_destination + FileNameOf(m_imagePath);
        DbgLog(u"MSG_ERROR_WIM_SPLIT_FAILED - The image stays whole: splitting %s failed, error %d",
               image.GetString(), static_cast<int>(error));
        PostErrorPath(MSG_ERROR_WIM_SPLIT_FAILED, image);
    }

    // The image files of the backup the folder holds now that the new set does
    // not replace: they go when the new set is moved into place.
    std::vector<CString> ObsoleteImages(const std::vector<CString>& finalNames) {
        std::vector<CString> obsolete;
        if (!IsExistingFile(m_destination + kCatalogName)) return obsolete;
        CQXSerialization old;
        if (!old.Load(m_destination) || !old.GetImageList()) return obsolete;
        for (const CString& image : *old.GetImageList()) {
            const CString path = m_destination + FileNameOf(image);
            const bool replaced = std::any_of(finalNames.begin(), finalNames.end(),
                                              [&](const CString& name) { return name.CompareNoCase(path) == 0; });
            if (IsImageFileName(path) && !replaced && IsExistingFile(path)) obsolete.push_back(path);
        }
        return obsolete;
    }

    // The big files of a captured drive and category are restored from that image.
    static void TieBigFilesToImage(CQXSerialization& catalog, const CString& driveRoot, const CString& category,
                                   int imageIndex) {
        for (FileNode& node : catalog.m_arBigFile)
            if (DriveRootOf(node.suszPath) == driveRoot && node.Category.CompareNoCase(category) == 0)
                node.IndexofImage.push_back(imageIndex);
    }

    // A file larger than the part size that goes into the image whole.
    struct WholeBigFile {
        CString path;
        ULONGLONG size;
    };

    const BackupRequest& m_req;
    std::vector<CString> m_working;
    std::vector<TypeEntry> m_types;
    std::map<CString, CString> m_overLength;
    std::vector<WholeBigFile> m_wholeBigFiles;
    OnDiskNames m_names;
    RunJournal* m_journal = nullptr;
    CaptureContext m_capture;  // the image callback's, registered with each CWimFile
    std::unique_ptr<CWimFile> m_wim;
    CString m_destination;
    CString m_work;  // receives the new set until it is complete
    CString m_imagePath;
    CString m_imageDescription;  // the backup's name and start time, given to every image
    ULONGLONG m_splitBytes = 0;
    bool m_anyAppended = false;
    bool m_notSplit = false;
    bool m_notCopiedAside = false;  // an over-length file could not be copied into an exception folder
};

}  // namespace

bool RunBackup(const BackupRequest& request, int* flags) { return BackupRun(request).Run(flags); }
