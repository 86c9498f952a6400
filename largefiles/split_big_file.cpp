// Cutting a big file into numbered pieces beside it.
#include "services/file_utils.h"
#include "services/notify.h"
#include "services/path_parts.h"
#include "services/piece_path.h"
#include "services/run_journal.h"
#include "largefiles/big_files.h"
#include "largefiles/file_copy.h"

namespace {

// What every piece takes from the big file, so that the merge can give it back.
struct SourceStamp {
    FILETIME lastWrite{};
    DWORD attributes = 0;
};

// Writes the next length bytes of source into a new piece; a piece left
// incomplete is removed again. A file that already has the piece's name may be
// the user's own and is never overwritten: the piece then fails. The journal
// learns of each piece before it is made.
bool WritePiece(HANDLE source, const CString& piecePath, ULONGLONG length, const SourceStamp& stamp,
                CopyBuffer& buffer, RunJournal* journal) {
    // A name already taken fails before it is entered, so that not even a
    // journal cut short by a full disk or a kill can count the file as made.
    WIN32_FIND_DATAW taken;
    if (FindAsSpelled(WithLongPathPrefix(piecePath), &taken)) return false;
    if (journal && !journal->WillCreate(piecePath)) return false;
    ScopedFileHandle piece = CreateNewForWriting(piecePath);
    if (!piece) {
        if (journal && GetLastError() == ERROR_FILE_EXISTS) journal->NotCreated(piecePath);
        return false;
    }
    ULONGLONG copied = 0;
    bool complete = CopyBytes(source, piece.get(), length, buffer, &copied) && copied == length &&
                    SetFileTime(piece.get(), nullptr, nullptr, &stamp.lastWrite);
    complete = piece.close() && complete;
    if (complete && stamp.attributes) complete = SetFileAttributesW(piecePath, stamp.attributes) != FALSE;
    if (!complete) DeleteFileForced(piecePath);
    return complete;
}

}  // namespace

// Pieces 0 .. S/P-1 hold P bytes each, the last one S mod P (empty when P
// divides S). A failure stops the cut with -246; finished pieces stay listed.
void SplitBigFile(ULONGLONG pieceSize, FileNode& node, RunJournal* journal) {
    if (pieceSize == 0 || !IsExistingFile(node.suszPath)) return;
    const ScopedFileHandle source = OpenForReading(node.suszPath);
    ULONGLONG size = 0;
    SourceStamp stamp;
    if (!source || !OpenFileSize(source.get(), &size) ||
        !GetFileTime(source.get(), nullptr, nullptr, &stamp.lastWrite)) {
        PostError(MSG_ERROR_BIGFILES_SPLIT_FAILED);
        return;
    }
    stamp.attributes = PieceAttributesOf(node.suszPath);
    CopyBuffer buffer;
    const ULONGLONG fullPieces = size / pieceSize;
    for (ULONGLONG k = 0; k <= fullPieces; ++k) {
        CString piecePath = PiecePath(node.suszPath, k);
        ULONGLONG length = k < fullPieces ? pieceSize : size % pieceSize;
        if (!WritePiece(source.get(), piecePath, length, stamp, buffer, journal)) {
            PostError(MSG_ERROR_BIGFILES_SPLIT_FAILED);
            return;
        }
        node.splitPathArray.push_back(piecePath);
    }
}
