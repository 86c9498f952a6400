#include "stored_files.h"

#include <map>
#include <set>

namespace qxfm {
namespace {

// The piece number of "NAME.NNN" (three digits), or -1.
int PieceNumber(const CString& path, CString* base) {
    const int length = path.GetLength();
    if (length < 5 || path[length - 4] != u'.') return -1;
    int number = 0;
    for (int i = length - 3; i < length; ++i) {
        if (path[i] < u'0' || path[i] > u'9') return -1;
        number = number * 10 + (path[i] - u'0');
    }
    *base = path.Left(length - 4);
    return number;
}

// Pieces 0..k (k >= 1) without a gap, all but the last of one size and the last no larger.
bool IsPieceRun(const std::vector<const StoredFile*>& pieces) {
    if (pieces.size() < 2) return false;
    for (size_t i = 0; i < pieces.size(); ++i)
        if (!pieces[i]) return false;
    const ULONGLONG pieceSize = pieces[0]->size;
    for (size_t i = 1; i + 1 < pieces.size(); ++i)
        if (pieces[i]->size != pieceSize) return false;
    return pieceSize > 0 && pieces.back()->size <= pieceSize;
}

}  // namespace

void StoredFileList::Add(const CString& path, const WIN32_FIND_DATAW& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
    StoredFile file;
    file.path = path;
    file.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    file.written = data.ftLastWriteTime;
    file.attributes = data.dwFileAttributes;
    m_files.push_back(file);
}

std::vector<StoredFile> StoredFileList::Joined() const {
    std::set<std::u16string> stored;
    std::map<std::u16string, std::vector<const StoredFile*>> candidates;
    for (const StoredFile& f : m_files) {
        stored.insert(f.path.str());
        CString base;
        const int number = PieceNumber(f.path, &base);
        if (number < 0) continue;
        auto& run = candidates[base.str()];
        if (run.size() <= static_cast<size_t>(number)) run.resize(number + 1);
        run[number] = &f;
    }
    std::map<std::u16string, const std::vector<const StoredFile*>*> bigFiles;  // by the path of piece 0
    std::set<const StoredFile*> joinedPieces;
    for (const auto& [base, pieces] : candidates) {
        if (stored.count(base) || !IsPieceRun(pieces)) continue;
        bigFiles[pieces[0]->path.str()] = &pieces;
        joinedPieces.insert(pieces.begin(), pieces.end());
    }
    std::vector<StoredFile> out;
    for (const StoredFile& f : m_files) {
        auto big = bigFiles.find(f.path.str());
        if (big == bigFiles.end()) {
            if (!joinedPieces.count(&f)) out.push_back(f);
            continue;
        }
        StoredFile whole = f;
        whole.path = f.path.Left(f.path.GetLength() - 4);
        whole.size = 0;
        for (const StoredFile* piece : *big->second) {
            whole.size += piece->size;
            whole.pieces.push_back(piece->path);
        }
        out.push_back(whole);
    }
    return out;
}

const StoredFile* OwnerOf(const std::vector<StoredFile>& joined, const CString& path) {
    for (const StoredFile& f : joined) {
        if (f.path == path) return &f;
        for (const CString& piece : f.pieces)
            if (piece == path) return &f;
    }
    return nullptr;
}

}  // namespace qxfm
