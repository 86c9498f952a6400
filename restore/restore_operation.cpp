#include "restore/restore_operation.h"

#include <algorithm>
#include <map>
#include <memory>

#include "services/dbglog.h"
#include "services/local_time.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "services/left_journals.h"
#include "services/run_journal.h"
#include "catalog/image_files.h"
#include "catalog/serialization.h"
#include "largefiles/big_files.h"
#include "image/capture_context.h"
#include "image/wim_file.h"
#include "folders/directories.h"
#include "restore/placement.h"

namespace {

const WCHAR kRecoveryFolder[] = u"System Recovery Files";
const WCHAR kRestoreLogCopy[] = u"%ssystem.sav\\logs\\Restore_%s";

// A drive entry names a drive root "X:\"; anything else in a stored catalog
// could lead the restore outside its root.
bool IsDriveRoot(const CString& drive) {
    return drive.GetLength() == 3 && QxToUpper(drive[0]) >= u'A' && QxToUpper(drive[0]) <= u'Z' &&
           drive[1] == u':' && drive[2] == u'\\';
}

bool AllDrivesAreRoots(const std::vector<DriveEntry>& drives) {
    return std::all_of(drives.begin(), drives.end(), [](const DriveEntry& d) { return IsDriveRoot(d.Drive); });
}

// "C:\" -> "C", or the restore root name set by the host for every drive.
CString DriveFolderName(const CString& drive) {
    if (!g_strRestoreRootName.IsEmpty()) return g_strRestoreRootName;
    CString name = drive;
    name.TrimRight(u'\\');
    name.TrimRight(u':');
    return name;
}

// The first image number that both the category and the drive name; 0 when none.
int ImageOf(const TypeEntry* type, const DriveEntry& drive) {
    if (!type) return 0;
    for (int image : type->IndexofImage)
        if (std::find(drive.IndexofImage.begin(), drive.IndexofImage.end(), image) != drive.IndexofImage.end())
            return image;
    return 0;
}

const TypeEntry* FindType(const std::vector<TypeEntry>& types, const CString& category) {
    for (const TypeEntry& type : types)
        if (type.Category.CompareNoCase(category) == 0) return &type;
    return nullptr;
}

// How the drives of a catalog came back: everything stored, not all of it
// (a category without an image on a drive is nothing missing), or not at all
// because the restore stopped.
enum class Restored { All, Partly, Stopped };

class RestoreRun {
public:
    RestoreRun(const CString& backupFolder, const std::vector<CString>* categories, const CString& restoreTarget)
        : m_backupFolder(WithBackslash(backupFolder)),
          m_categories(categories ? *categories : std::vector<CString>()),
          m_restoreTarget(WithBackslash(restoreTarget)) {}

    bool Run() {
        CString drivePart = SplitPath(m_restoreTarget).drive;
        m_tempFolder = drivePart + u"\\";
        if (!CreateRestoreRoot()) return false;

        // What killed backups left, into this folder or any other, is finished first.
        ReplayLeftJournals();
        RunJournal::ReplayLeft(m_backupFolder);
        CQXSerialization catalog;
        catalog.SetDebugLogPath(g_strDebugLogFile);
        bool restored = false;
        if (catalog.Load(m_backupFolder)) {
            if (AllDrivesAreRoots(catalog.GetDriveList())) {
                const Restored outcome = RestoreDrives(catalog);
                if (outcome == Restored::Stopped) return false;
                restored = outcome == Restored::All;
            } else {
                ReportError(MSG_ERROR_UNSERIALIZATION_FAILED);
            }
            m_wim.reset();
            PostProgress(100, PHASE_APPLY);
            DbgLog(u"WIM_MSG_PROGRESS - now apply image percentage: %d%%", 100);
        }
        PostOperation(MSG_OPERATION_RESTORE_END);
        return restored;
    }

private:
    // A dated folder of this run alone: a restore started in the same second
    // as another one gets " (2)" and so on, so that nothing it writes can meet
    // a file of the other.
    bool CreateRestoreRoot() {
        const CString recovery = m_restoreTarget + kRecoveryFolder + u"\\";
        if (!CreateDirectories(recovery)) return false;
        const CString dated = recovery + LocalTimeText(u"%Y-%m-%d %H%M%S");
        for (int number = 1; number < 1000; ++number) {
            m_restoreRoot = dated;
            if (number > 1) m_restoreRoot.AppendFormat(u" (%d)", number);
            m_restoreRoot += u"\\";
            if (CreateDirectoryW(WithLongPathPrefix(m_restoreRoot), nullptr)) {
                PostExtendedOperationPath(QXFM_OPERATION_RESTORE_FOLDER, m_restoreRoot);
                return true;
            }
            if (GetLastError() != ERROR_ALREADY_EXISTS) break;
        }
        ReportError(MSG_ERROR_CREATE_DIRECTORY_FAILED, m_restoreRoot.GetString());
        return false;
    }

    // Restores every drive; a catalog without drives restores nothing.
    Restored RestoreDrives(CQXSerialization& catalog) {
        std::vector<DriveEntry> drives = catalog.GetDriveList();
        std::vector<TypeEntry> types = catalog.GetTypeList();
        std::vector<CString> images = ImageFilesIn(m_backupFolder, *catalog.GetImageList());
        std::map<CString, CString> overLength = catalog.GetOverLengthMap();

        m_wim = std::make_unique<CWimFile>(WIM_COMPRESS_XPRESS, WimMessageCallback, &m_capture);
        m_capture.stepCount = static_cast<int>(m_categories.size());

        if (drives.empty()) return Restored::Partly;
        bool failed = false;
        for (const DriveEntry& drive : drives) {
            CString driveFolder = m_restoreRoot + DriveFolderName(drive.Drive) + u"\\";
            if (!CreateDirectoriesBelow(m_restoreRoot, driveFolder)) return Restored::Stopped;
            for (const CString& category : m_categories) {
                m_capture.listLog.Reset(u"[" + category + u"]");
                const TypeEntry* type = FindType(types, category);
                int image = ImageOf(type, drive);
                if (image == 0) continue;
                m_capture.extensions = type->Extension;

                bool listed = false;
                // An image file that was not split may hold pieces as well: the
                // backup cuts big files for any split size and keeps the image
                // whole when it cannot be split. An item the apply could not
                // make is named (-235) and the rest restored, but the restore fails.
                m_capture.itemErrors = 0;
                m_capture.applied.Clear();
                if (ApplyImage(images, driveFolder, image)) {
                    if (m_capture.itemErrors != 0) failed = true;
                    if (!RestoreBigFiles(catalog, driveFolder, drive.Drive, type->Category, image)) failed = true;
                    DbgLog(OperationText(MSG_OPERATION_RESTORE_END));
                    PostOperation(MSG_OPERATION_RESTORE_END);
                    if (WriteFileListLog(&m_capture.listLog.lines(), m_restoreRoot, m_listWritten, FALSE)) {
                        m_listWritten = TRUE;
                        listed = true;
                    }
                } else {
                    // No file that a cancelled or failed apply left unfinished
                    // stays under its name: each is removed and named (-235).
                    const DWORD error = GetLastError();
                    m_capture.applied.RemoveUnfinished([&](const CString& file) {
                        WimMessageCallback(WIM_MSG_ERROR, reinterpret_cast<WPARAM>(file.GetString()),
                                           static_cast<LPARAM>(error), &m_capture);
                    });
                    // Nor do the pieces of this image's big files.
                    DeleteRestoredPieces(catalog, driveFolder, drive.Drive, type->Category, image);
                }
                if (!listed) {
                    if (AskContinue()) ReportError(MSG_ERROR_WIM_RESTOR_FAILED);
                    return Restored::Stopped;
                }
                if (!overLength.empty() &&
                    !PlaceOverLengthFiles(drive.Drive, driveFolder, overLength, m_capture.listLog.lines()))
                    failed = true;
                m_capture.FinishStep();
            }
            CopyFileListLog(kRestoreLogCopy, drive.Drive, m_restoreRoot);
        }
        return failed ? Restored::Partly : Restored::All;
    }

    // Applies one image: from the single image file, or from the first part of
    // a split set with the other parts as references.
    bool ApplyImage(const std::vector<CString>& images, const CString& driveFolder, int image) {
        if (images.empty()) return false;
        if (images.size() == 1)
            return m_wim->Apply(images.front(), driveFolder, image, 0, m_tempFolder, false, nullptr);
        std::vector<CString> references(images.begin() + 1, images.end());
        return m_wim->Apply(images.front(), driveFolder, image, 0, m_tempFolder, true, &references);
    }

    CString m_backupFolder;
    std::vector<CString> m_categories;
    CString m_restoreTarget;
    CString m_tempFolder;
    CString m_restoreRoot;
    BOOL m_listWritten = FALSE;
    CaptureContext m_capture;  // the image callback's, registered with the CWimFile
    std::unique_ptr<CWimFile> m_wim;
};

}  // namespace

bool RunRestore(const CString& backupFolder, const std::vector<CString>* categories, const CString& restoreTarget) {
    return RestoreRun(backupFolder, categories, restoreTarget).Run();
}
