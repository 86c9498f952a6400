#include "backup/backup_operation.h"

#include <algorithm>
#include <map>
#include <memory>

#include "services/dbglog.h"
#include "services/file_utils.h"
#include "services/left_journals.h"
#include "services/local_time.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "services/piece_path.h"
#include "services/report_error.h"
#include "services/run_journal.h"
#include "backup/backup_account.h"
#include "backup/capture_selection.h"
#include "backup/entries_ahead.h"
#include "backup/excluded_path.h"
#include "backup/file_preparation.h"
#include "backup/on_disk_names.h"
#include "backup/over_length.h"
#include "catalog/serialization.h"
#include "image/capture_context.h"
#include "image/held_files.h"
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
// made beside the user's files goes, a committed new set moves into place,
// and the registry forgets the journal once it is carried out.
class JournalReplay {
public:
    JournalReplay(RunJournal& journal, const CString& folder) : m_journal(journal), m_folder(folder) {}
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
        ForgetLeftJournal(m_folder);
        return m_replayed;
    }

private:
    RunJournal& m_journal;
    CString m_folder;
    bool m_done = false;
    bool m_replayed = false;
};

class BackupRun {
public:
    explicit BackupRun(const BackupRequest& request) : m_req(request) {}

    // See RunBackup.
    bool Run(int* flags) {
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
        JournalReplay replay(journal, m_destination);
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
        if (complete) SettleAccount();
        PostProgress(100, PHASE_CAPTURE);
        DbgLog(u"WIM_MSG_PROGRESS - now capture percentage: %d%%", 100);
        complete = complete && Finish(catalog);

        m_wim.reset();
        if (!replay.Run()) complete = false;
        m_types.clear();
        PostExtendedOperation(QXFM_OPERATION_FILES_STORED,
                              static_cast<LPARAM>(m_account.Count(BackupAccount::Outcome::Stored)));
        PostExtendedOperation(QXFM_OPERATION_BYTES_STORED,
                              static_cast<LPARAM>(m_account.Bytes(BackupAccount::Outcome::Stored)));
        PostOperation(MSG_OPERATION_BACKUP_END);
        const bool leftOut = !m_account.Complete();
        *flags = (m_notSplit ? QXFM_BACKUP_NOT_SPLIT : 0) | (leftOut ? QXFM_BACKUP_FILES_LEFT_OUT : 0);
        return complete;
    }

private:
    // Finishes what killed earlier runs left, here or beside the files of any
    // other backup, starts this run's journal, enters it where later runs
    // find it, and makes the work folder that receives the new set.
    bool StartJournal() {
        ReplayLeftJournals();
        if (!RunJournal::ReplayLeft(m_destination) || !m_journal->Open()) return false;
        EnterLeftJournal(m_destination);
        CString folder;
        if (!m_journal->MakeWorkFolder(m_destination + m_req.imageName + kWorkFolderSuffix, &folder)) return false;
        m_work = WithBackslash(folder);
        m_capture.workFolder = m_work;
        m_capture.hostFolder = m_destination;
        return true;
    }

    // Accounts for every input file and enters those to be stored into the
    // catalog and the captures' selection. False when the host cancelled.
    bool Prepare(CQXSerialization& catalog) {
        ULONGLONG totalBytes = m_req.splitImage ? GetTotalSize(m_req.fileList) : 0;
        ULONGLONG doneBytes = 0;
        UINT percent = 0;
        PostProgress(0, m_req.splitImage ? PHASE_BACKUP_PREPARE : PHASE_CAPTURE);
        const ULONGLONG threshold = m_req.splitImage ? m_splitBytes : ~0ULL;
        LogIgnoredExclusions();

        EntriesAhead entries(*m_req.fileList);
        size_t filesToCome = m_req.fileList->size();
        for (const CString& listed : *m_req.fileList) {
            --filesToCome;
            if (!AskContinue()) return false;
            DiskEntry entry;
            const bool there = entries.Next(&entry);
            CString sourcePath, link;
            ULONGLONG size = 0;
            const bool found = m_names.Find(listed, there ? &entry : nullptr, &sourcePath, &size, &link);
            bool again = false;
            const uint32_t file = m_account.Enter(sourcePath, &again);
            if (again) continue;  // the same file, listed before
            if (!found) {
                AccountForAbsent(file, sourcePath);
                continue;
            }
            if (IsExcludedPath(sourcePath)) {
                m_account.Set(file, BackupAccount::Outcome::Excluded);
                PostExtendedOperationPath(QXFM_OPERATION_FILE_EXCLUDED, sourcePath);
                continue;
            }
            const CString category = CategoryOfExtension(catalog, ExtensionOf(sourcePath));
            if (!catalog.FindType(category)) {
                m_account.Set(file, BackupAccount::Outcome::NoCategory);
                PostExtendedOperationPath(QXFM_OPERATION_FILE_OF_NO_CATEGORY, sourcePath);
                continue;
            }
            if (!link.IsEmpty()) {
                // The capture keeps the link, not what lies behind it.
                DbgLog(u"%s is left out: %s is a link or mount point, which the image keeps without what it leads to",
                       sourcePath.GetString(), link.GetString());
                LeaveOut(file, sourcePath, ERROR_CANT_ACCESS_FILE);
                continue;
            }
            CString current = sourcePath;
            if (IsOverLength(sourcePath)) {
                ReportErrorPath(MSG_ERROR_PATH_LONGER_THAN_260, sourcePath);
                if (!RelocateOverLength(current, *m_journal)) {
                    // The file is there, but it cannot enter an image without its
                    // copy, nor the catalog under the copy's name.
                    ReportErrorPath(MSG_ERROR_COPYDATA_CANNOT_FIND, sourcePath);
                    ReportError(MSG_ERROR_SERIALIZATION_FAILED);
                    m_account.Set(file, BackupAccount::Outcome::LeftOut);
                    continue;
                }
                m_overLength[current] = sourcePath;
            }
            const FileNode& node = EnterFile(catalog, current, category, size, threshold, *m_journal, filesToCome);
            m_selection.Enter(node, file);
            m_account.Expect(file, node.splitPathArray.empty() ? 1 : static_cast<uint32_t>(node.splitPathArray.size()),
                             size);
            if (m_splitBytes > 0 && size > m_splitBytes && node.splitPathArray.empty())
                m_wholeBigFiles.push_back({current, size});
            PostProgressPath(current);
            if (m_req.splitImage) {
                doneBytes += size;
                if (totalBytes > 0) percent = static_cast<UINT>(doneBytes * 100 / totalBytes);
                PostProgress(percent, PHASE_BACKUP_PREPARE);
            }
        }
        if (m_req.splitImage) PostProgress(100, PHASE_BACKUP_PREPARE);
        PostExtendedOperation(QXFM_OPERATION_BYTES_TO_STORE,
                              static_cast<LPARAM>(m_account.Bytes(BackupAccount::Outcome::Pending)));
        return true;
    }

    // A listed file with no file at its path: missing, or there under a name
    // no path of this system can hold, so that it can be neither opened nor stored.
    void AccountForAbsent(uint32_t file, const CString& path) {
        if (HoldsANameNoPathCan(path)) {
            LeaveOut(file, path, ERROR_INVALID_NAME);
            return;
        }
        m_account.Set(file, BackupAccount::Outcome::Missing);
        ReportErrorPath(MSG_ERROR_SERIALIZATION_FAILED, path);
    }

    // A listed file left out as the capture leaves out one it cannot store:
    // logged and named with -235 after the system error.
    void LeaveOut(uint32_t file, const CString& path, DWORD error) {
        m_account.Set(file, BackupAccount::Outcome::LeftOut);
        DbgLog(u"MSG_ERROR_WIM_MSG_ERROR - file: %s ...failed! error code: %d", path.GetString(), static_cast<int>(error));
        PostError(static_cast<int>(error));
        PostErrorPath(MSG_ERROR_WIM_MSG_ERROR, path, static_cast<LPARAM>(error));
    }

    // After the captures: each listed file that is to be stored and that no
    // capture took in full is left out and named.
    void SettleAccount() {
        for (uint32_t file : m_account.Settle(m_capture.marks)) {
            const CString& path = m_account.paths()[file];
            DbgLog(u"%s is left out: no capture took it", path.GetString());
            LeaveOut(file, path, ERROR_FILE_NOT_FOUND);
        }
    }

    // One capture per drive and category into the work folder, then one write
    // of the image file with them all. True when none failed and at least
    // one image was made.
    bool CaptureAll(CQXSerialization& catalog) {
        const std::vector<DriveEntry>& drives = catalog.GetDriveList();
        m_capture.listed = &m_account.paths();
        m_capture.marks.assign(m_account.size(), FileMarks());
        // The image file is written once, after the captures: that write is the capture's progress.
        m_capture.stepCount = 1;
        m_wim = std::make_unique<CWimFile>(m_req.compressionType, WimMessageCallback, &m_capture);
        std::vector<std::pair<CString, CString>> captured;  // drive and category of each image
        const HeldFiles held(FilesInCaptureOrder(drives), m_account.size());
        m_capture.held = &held;
        const bool done = CaptureEach(catalog, drives, captured);
        m_capture.held = nullptr;
        if (!done || captured.empty()) return false;
        if (!m_wim->WriteCaptures()) {
            // Every image is lost with the file.
            if (AskContinue())
                for (const auto& [driveRoot, category] : captured)
                    ReportError(MSG_ERROR_BACKUP_APPEND_FAILED, driveRoot.GetString(), category.GetString());
            return false;
        }
        return true;
    }

    // The files the captures take, in the order of the captures.
    std::vector<HeldFiles::Check> FilesInCaptureOrder(const std::vector<DriveEntry>& drives) const {
        std::vector<HeldFiles::Check> checks;
        for (const DriveEntry& drive : drives)
            for (const TypeEntry& type : m_types)
                for (const auto& [name, item] : m_selection.Of(drive.Drive, type.Category).items)
                    if (item.kind == TakenItems::Kind::File) checks.push_back({item.file, &name});
        return checks;
    }

    // The captures, each entered in the catalog and the list log; false when one failed.
    bool CaptureEach(CQXSerialization& catalog, const std::vector<DriveEntry>& drives,
                     std::vector<std::pair<CString, CString>>& captured) {
        for (const DriveEntry& drive : drives) {
            const CString& driveRoot = drive.Drive;
            for (const TypeEntry& type : m_types) {
                m_capture.categoryBytes = 0;
                m_wim->SetImageInformation(driveRoot.Left(2) + u" " + type.Category,  // "C: DOCUMENTS"
                                           m_imageDescription);
                m_capture.extensions = type.Extension;
                m_capture.taken = &m_selection.Of(driveRoot, type.Category);
                m_capture.listLog.Reset(u"[" + type.Category + u"]");
                // A category with files on any drive is captured on every drive.
                const CategoryFiles* files = catalog.FindCategoryFiles(type.Category);
                if (!files || files->arFileList.empty()) continue;
                DbgLog(OperationText(MSG_OPERATION_BACKUP_APPEND_START),
                       m_capture.AsTheHostNamesIt(m_imagePath).GetString());
                PostOperation(MSG_OPERATION_BACKUP_APPEND_START);
                // The first capture makes the image file; the others add to it.
                const bool ok =
                    m_wim->Capture(driveRoot, m_imagePath, captured.empty() ? WIM_CREATE_ALWAYS : WIM_OPEN_EXISTING);
                m_capture.taken = nullptr;
                if (!ok) {
                    if (AskContinue())
                        ReportError(MSG_ERROR_BACKUP_APPEND_FAILED, driveRoot.GetString(), type.Category.GetString());
                    return false;
                }
                DbgLog(OperationText(MSG_OPERATION_BACKUP_APPEND_END), driveRoot.GetString(), type.Category.GetString());
                PostOperation(MSG_OPERATION_BACKUP_APPEND_END);
                CString totalLine;
                totalLine.Format(u"File Total Size : %llu bytes", m_capture.categoryBytes);
                m_capture.listLog.Append(totalLine);
                WriteFileListLog(&m_capture.listLog.lines(), m_work, !captured.empty(), FALSE);
                captured.push_back({driveRoot, type.Category});
                const int imageIndex = static_cast<int>(captured.size());  // images count from 1
                catalog.AddImageToDrive(driveRoot, imageIndex);
                catalog.AddImageToType(type.Category, imageIndex);
                TieBigFilesToImage(catalog, driveRoot, type.Category, imageIndex);
            }
            CopyFileListLog(kBackupLogCopy, driveRoot, m_work);
        }
        return true;
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
    std::vector<TypeEntry> m_types;
    std::map<CString, CString> m_overLength;
    std::vector<WholeBigFile> m_wholeBigFiles;
    OnDiskNames m_names;
    BackupAccount m_account;
    CaptureSelection m_selection;
    RunJournal* m_journal = nullptr;
    CaptureContext m_capture;  // the image callback's, registered with the CWimFile
    std::unique_ptr<CWimFile> m_wim;
    CString m_destination;
    CString m_work;  // receives the new set until it is complete
    CString m_imagePath;
    CString m_imageDescription;  // the backup's name and start time, given to every image
    ULONGLONG m_splitBytes = 0;
    bool m_notSplit = false;
};

}  // namespace

bool RunBackup(const BackupRequest& request, int* flags) { return BackupRun(request).Run(flags); }
