// Rebuilding big files from their pieces after an image was applied.
#include "services/contained_path.h"
#include "services/dbglog.h"
#include "services/file_utils.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "largefiles/big_files.h"
#include "largefiles/file_copy.h"

namespace {

enum class MergeResult {
    NothingFound, // no piece exists: nothing written
    Complete,     // exactly node.size bytes, now under the node's path
    Failed,       // an I/O failure or a size other than node.size; nothing under the node's path changed
};

// Pieces and the rebuilt file are named exactly: beside a big file's pieces may
// lie a file, or pieces of one, whose name differs only in case.
bool AnyPieceExists(const FileNode& node) {
    for (const CString& piece : node.splitPathArray)
        if (IsExistingFileAsSpelled(piece)) return true;
    return false;
}

bool OutputIsAPiece(const FileNode& node) {
    for (const CString& piece : node.splitPathArray)
        if (piece.CompareNoCase(node.suszPath) == 0) return true;
    return false;
}

// A new file beside path under a name no entry holds yet.
ScopedFileHandle CreateBeside(const CString& path, CString* temp) {
    for (unsigned n = 0; n < 1000; ++n) {
        temp->Format(u"%s.~merge%u", path.GetString(), n);
        ScopedFileHandle file = CreateNewForWriting(*temp);
        if (file || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return ScopedFileHandle();
}

class Merger {
public:
    Merger(ULONGLONG& doneSize, ULONGLONG totalSize) : m_doneSize(doneSize), m_totalSize(totalSize) {}

    // Missing pieces are skipped; the others are appended in order to a file
    // beside the node's path, which takes that name only when it is complete.
    // It gets the pieces' last-write time and attributes, which the cut gave
    // them from the original.
    MergeResult Run(const FileNode& node) {
        if (!AnyPieceExists(node)) return MergeResult::NothingFound;
        if (OutputIsAPiece(node)) return MergeResult::Failed;
        CString temp;
        ScopedFileHandle output = CreateBeside(node.suszPath, &temp);
        if (!output) return MergeResult::Failed;
        bool complete = Fill(node, output.get()) && SetFileTime(output.get(), nullptr, nullptr, &m_lastWrite);
        complete = output.close() && complete;
        if (complete && m_attributes) complete = SetFileAttributesW(temp, m_attributes) != FALSE;
        if (complete && IsExistingFileAsSpelled(node.suszPath)) SetFileAttributesW(node.suszPath, FILE_ATTRIBUTE_NORMAL);
        if (complete && MoveFileExW(temp, node.suszPath, MOVEFILE_REPLACE_EXISTING)) return MergeResult::Complete;
        DeleteFileForced(temp);
        return MergeResult::Failed;
    }

private:
    bool Fill(const FileNode& node, HANDLE output) {
        ULONGLONG written = 0;
        bool first = true;
        for (const CString& piece : node.splitPathArray) {
            if (!IsExistingFileAsSpelled(piece)) continue;
            ULONGLONG copied = 0;
            if (!AppendPiece(piece, output, first, &copied)) return false;
            first = false;
            written += copied;
        }
        return written == node.size;
    }

    bool AppendPiece(const CString& piecePath, HANDLE output, bool first, ULONGLONG* copied) {
        const ScopedFileHandle piece = OpenForReading(piecePath);
        ULONGLONG size = 0;
        if (!piece || !OpenFileSize(piece.get(), &size)) return false;
        if (first) {
            if (!GetFileTime(piece.get(), nullptr, nullptr, &m_lastWrite)) return false;
            m_attributes = PieceAttributesOf(piecePath);
        }
        m_doneSize += size;
        if (m_totalSize != 0) PostProgress(static_cast<UINT>(m_doneSize * 100 / m_totalSize), PHASE_MERGE);
        return CopyBytes(piece.get(), output, size, m_buffer, copied) && *copied == size;
    }

    ULONGLONG& m_doneSize;
    ULONGLONG m_totalSize;
    CopyBuffer m_buffer;
    FILETIME m_lastWrite{};
    DWORD m_attributes = 0;
};

// Merges one node; when the result is not the whole file, the debug log names
// it (-245 carries no path) and -245 is posted.
MergeResult MergeAndReport(const FileNode& node, ULONGLONG& doneSize, ULONGLONG totalSize) {
    MergeResult result = Merger(doneSize, totalSize).Run(node);
    if (result == MergeResult::Failed) {
        DbgLog(u"The big file %s could not be rebuilt from its pieces, which stay", node.suszPath.GetString());
        PostError(MSG_ERROR_BIGFILES_MERGE_FAILED);
    }
    return result;
}

// The node with its path and pieces moved below target; false, with -245
// posted, when any of them would leave it or pass through a link on the way.
bool RelocateNode(const FileNode& node, const CString& target, const CString& drive, FileNode* relocated) {
    *relocated = node;
    bool below = RelocateBelow(target, drive, node.suszPath, &relocated->suszPath);
    for (CString& piece : relocated->splitPathArray) below = below && RelocateBelow(target, drive, piece, &piece);
    if (!below) {
        DbgLog(u"Refused the big file %s: it or a piece of it would leave %s", node.suszPath.GetString(),
               target.GetString());
        PostError(MSG_ERROR_BIGFILES_MERGE_FAILED);
        return false;
    }
    if (!UsableBelow(target, relocated->suszPath, MSG_ERROR_BIGFILES_MERGE_FAILED)) return false;
    for (const CString& piece : relocated->splitPathArray)
        if (!UsableBelow(target, piece, MSG_ERROR_BIGFILES_MERGE_FAILED)) return false;
    return true;
}

// The folder of a rebuilt file keeps the last-write time the image gave it,
// while the merge's files come and go in it.
class KeptFolderTime {
public:
    explicit KeptFolderTime(const CString& file) : m_folder(file.Left(file.ReverseFind(u'\\'))) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        m_kept = GetFileAttributesExW(WithLongPathPrefix(m_folder), GetFileExInfoStandard, &data) != FALSE;
        m_time = data.ftLastWriteTime;
    }
    ~KeptFolderTime() {
        if (m_kept) SetFolderTime(m_folder, m_time);
    }

private:
    CString m_folder;
    FILETIME m_time{};
    bool m_kept = false;
};

bool OfImage(const FileNode& node, const CString& drive, const CString& category, int image) {
    if (node.IndexofImage.empty())
        return DriveRootOf(node.suszPath).CompareNoCase(drive) == 0 && node.Category.CompareNoCase(category) == 0;
    for (int number : node.IndexofImage)
        if (number == image) return true;
    return false;
}

}  // namespace

// Merges the big files whose pieces image brought back below target. The
// pieces are deleted only after a complete rebuild; otherwise they stay and
// the result is false. Stored nodes keep their original paths.
bool RestoreBigFiles(CQXSerialization& catalog, CString target, CString drive, const CString& category, int image) {
    target = WithBackslash(target);
    drive = WithBackslash(drive);
    bool result = true;
    for (const FileNode& stored : catalog.m_arBigFile) {
        if (!OfImage(stored, drive, category, image) || stored.splitPathArray.empty()) continue;
        FileNode node;
        if (!RelocateNode(stored, target, drive, &node)) {
            result = false;
            continue;
        }
        catalog.m_bigFileDoneSize = 0;
        KeptFolderTime folderTime(node.suszPath);
        switch (MergeAndReport(node, catalog.m_bigFileDoneSize, catalog.m_bigFileTotalSize)) {
        case MergeResult::Complete: DeleteSplitFiles(&node); break;
        case MergeResult::Failed: result = false; break;
        case MergeResult::NothingFound: break;
        }
    }
    return result;
}

// Deletes the pieces of image's big files that an apply left below target.
void DeleteRestoredPieces(const CQXSerialization& catalog, CString target, CString drive, const CString& category,
                          int image) {
    target = WithBackslash(target);
    drive = WithBackslash(drive);
    for (const FileNode& stored : catalog.m_arBigFile) {
        if (!OfImage(stored, drive, category, image)) continue;
        for (const CString& piece : stored.splitPathArray) {
            CString relocated;
            if (RelocateBelow(target, drive, piece, &relocated) && CheckBelow(target, relocated).usable() &&
                IsExistingFileAsSpelled(relocated))
                DeleteFileForced(relocated);
        }
    }
}

bool MergeBigFile(CQXSerialization& catalog, FileNode* node) {
    if (!node || node->splitPathArray.empty()) return false;
    MergeAndReport(*node, catalog.m_bigFileDoneSize, catalog.m_bigFileTotalSize);
    return true;
}
