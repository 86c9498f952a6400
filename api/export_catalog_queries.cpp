// Exports: the read-only queries on a stored backup.
#include "services/dbglog.h"
#include "services/drive_presence.h"
#include "services/file_utils.h"
#include "services/notify.h"
#include "services/operation_lock.h"
#include "services/path_parts.h"
#include "services/report_error.h"
#include "services/run_journal.h"
#include "catalog/image_files.h"
#include "catalog/serialization.h"
#include "image/image_set.h"

namespace {

// A backup killed while its new image files took the place of the earlier
// ones left parts of both sets beside the catalog. Its journal completes the
// replacement, as the next backup or restore of the folder would; not while an
// operation runs, which may be the backup whose journal it is.
void FinishKilledBackup(const CString& folder) {
    if (!IsExistingFile(WithBackslash(folder) + kBackupJournalName)) return;
    OperationLock lock;
    if (lock.Acquire()) RunJournal::ReplayLeft(folder);
}

// 0 when the image files the restore will read from folder are there and form
// one complete set, else 1.
int CheckImageFiles(const CString& folder) {
    CQXSerialization catalog;
    catalog.SetDebugLogPath(g_strDebugLogFile);
    catalog.Load(folder);  // a catalog that cannot be read has no image to find
    const std::vector<CString>* listed = catalog.GetImageList();
    if (!listed || listed->empty()) return 1;
    const ImageSetFault fault = CheckImageSet(ImageFilesIn(folder, *listed));
    if (fault.kind != ImageSetFault::None) {
        if (fault.kind == ImageSetFault::Missing) {
            ReportError(MSG_ERROR_DATA_UNVALID, fault.path.GetString());
        } else {
            DbgLog(u"MSG_ERROR_DATA_UNVALID - Failed to Data Valid testing! Data %s is not a part of this backup",
                   fault.path.GetString());
            PostError(MSG_ERROR_DATA_UNVALID);
        }
        return 1;
    }
    DbgLog(OperationText(MSG_OPERATION_ISDATAVALID_END));
    PostOperation(MSG_OPERATION_ISDATAVALID_END);
    return 0;
}

// The check's kind stands while it runs; a host may check from the continue
// callback of a running backup, whose image callback decides by the kind.
class CheckKind {
public:
    CheckKind() : m_running(g_nOperation) { g_nOperation = OP_ISDATAVALID; }
    ~CheckKind() { g_nOperation = m_running; }

private:
    int m_running;
};

}  // namespace

extern "C" QXFM_API int IsDataValid(CString folder) {
    try {
        if (!DrivesPresent()) return 1;
        DbgLog(OperationText(MSG_OPERATION_ISDATAVALID_START));
        const CheckKind kind;
        PostOperation(MSG_OPERATION_ISDATAVALID_START);
        FinishKilledBackup(folder);
        return CheckImageFiles(folder);
    } catch (...) {
        return 1;
    }
}

extern "C" QXFM_API int GetCategoriesFromSerializationData(CString folder, std::vector<CString>* categories) {
    if (!categories || categories->capacity() == 0) return 0;
    try {
        if (!DrivesPresent()) return 0;
        CQXSerialization catalog;
        if (!catalog.Load(folder)) return 0;
        const std::vector<TypeEntry> types = catalog.GetTypeList();
        for (const TypeEntry& type : types)
            if (!type.Category.IsEmpty()) categories->push_back(type.Category);
        return 1;
    } catch (...) {
        return 0;
    }
}
