// Rebuilding big files from their pieces after an image was applied.
#include "api/file_utils.h"
#include "api/notify.h"
#include "api/path_parts.h"
#include "catalog/serialization.h"
#include "largefiles/file_copy.h"
#include "largefiles/relocation.h"

namespace {

enum class MergeResult {
    NothingFound, // no piece exists: nothing written
    Complete,     // written without error, exactly node.size bytes
    Failed,       // an I/O failure or a size other than node.size
};

bool AnyPieceExists(const FileNode& node) {
    for (const CString& piece : node.splitPathArray)
        if (IsExistingFile(piece)) return true;
    return false;
}

bool OutputIsAPiece(const FileNode& node) {
    for (const CString& piece : node.splitPathArray)
        if (piece.CompareNoCase(node.suszPath) == 0) return true;
    return false;
}

class Merger {
public:
    Merger(ULONGLONG& doneSize, ULONGLONG totalSize) : m_doneSize(doneSize), m_totalSize(totalSize) {}

    // Missing pieces are skipped; the others are appended in order.
    MergeResult Run(const FileNode& node) {
        if (!AnyPieceExists(node)) return MergeResult::NothingFound;
        if (OutputIsAPiece(node)) return MergeResult::Failed;
        ScopedFile output(CreateForWriting(node.suszPath));
        if (!output.IsOpen()) return MergeResult::Failed;
        ULONGLONG written = 0;
        for (const CString& piece : node.splitPathArray) {
            if (!IsExistingFile(piece)) continue;
            ULONGLONG copied = 0;
            if (!AppendPiece(piece, output.Get(), &copied)) return MergeResult::Failed;
            written += copied;
        }
        if (!output.Close()) return MergeResult::Failed;
        return written == node.size ? MergeResult::Complete : MergeResult::Failed;
    }

private:
    bool AppendPiece(const CString& piecePath, HANDLE output, ULONGLONG* copied) {
        ScopedFile piece(OpenForReading(piecePath));
        ULONGLONG size = 0;
        if (!piece.IsOpen() || !OpenFileSize(piece.Get(), &size)) return false;
        m_doneSize += size;
        if (m_totalSize != 0) PostProgress(static_cast<UINT>(m_doneSize * 100 / m_totalSize), PHASE_MERGE);
        return CopyBytes(piece.Get(), output, size, m_buffer, copied) && *copied == size;
    }

    ULONGLONG& m_doneSize;
    ULONGLONG m_totalSize;
    CopyBuffer m_buffer;
};

// Merges one node and posts -245 when the result is not the whole file.
MergeResult MergeAndReport(const FileNode& node, ULONGLONG& doneSize, ULONGLONG totalSize) {
    MergeResult result = Merger(doneSize, totalSize).Run(node);
    if (result == MergeResult::Failed) PostError(MSG_ERROR_BIGFILES_MERGE_FAILED);
    return result;
}

// The node with its path and pieces moved below target; false when any of
// them would leave it.
bool RelocateNode(const FileNode& node, const CString& target, const CString& drive, FileNode* relocated) {
    *relocated = node;
    if (!RelocateBelow(target, drive, node.suszPath, &relocated->suszPath)) return false;
    for (CString& piece : relocated->splitPathArray)
        if (!RelocateBelow(target, drive, piece, &piece)) return false;
    return true;
}

bool NamesImage(const FileNode& node, int image) {
    for (int number : node.IndexofImage)
        if (number == image) return true;
    return false;
}

}  // namespace

// Merges the big files whose pieces image brought back below target. The
// pieces are deleted only after a complete rebuild; otherwise they are the
// only copy and stay. Stored nodes keep their original paths.
int CQXSerialization::RestoreBigFiles(CString target, CString drive, int image) {
    target = WithBackslash(target);
    drive = WithBackslash(drive);
    for (const FileNode& stored : m_arBigFile) {
        if (!NamesImage(stored, image) || stored.splitPathArray.empty()) continue;
        FileNode node;
        if (!RelocateNode(stored, target, drive, &node)) {
            PostError(MSG_ERROR_BIGFILES_MERGE_FAILED);
            continue;
        }
        m_bigFileDoneSize = 0;
        if (MergeAndReport(node, m_bigFileDoneSize, m_bigFileTotalSize) == MergeResult::Complete)
            DeleteSplitFiles(&node);
    }
    return 1;
}

int CQXSerialization::MergeBigFile(FileNode* node) {
    if (!node || node->splitPathArray.empty()) return 0;
    MergeAndReport(*node, m_bigFileDoneSize, m_bigFileTotalSize);
    return 1;
}
