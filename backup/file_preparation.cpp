#include "backup/file_preparation.h"

#include "services/file_utils.h"
#include "services/path_parts.h"
#include "services/run_journal.h"
#include "selection/folder_scan.h"
#include "largefiles/big_files.h"

namespace {

const WCHAR kOthers[] = u"OTHERS";

// A prefix pattern with an empty prefix ("*" or "") is the only kind that
// also takes a file without an extension.
bool HasCatchAllPattern(const TypeEntry& type) {
    for (const CString& pattern : type.Extension)
        if (pattern.IsEmpty() || pattern == u"*") return true;
    return false;
}

// True when the cut produced every piece with all of the file's bytes.
bool PiecesComplete(const FileNode& node, ULONGLONG pieceSize) {
    if (node.splitPathArray.size() != node.size / pieceSize + 1) return false;
    ULONGLONG bytes = 0;
    for (const CString& piece : node.splitPathArray) bytes += GetFileSize64(piece);
    return bytes == node.size;
}

// Cuts a big file; a cut that failed part-way is undone, so that the file is
// backed up whole rather than as an incomplete set of pieces.
bool CutIntoPieces(FileNode& node, ULONGLONG pieceSize, RunJournal& journal) {
    const PathParts parts = SplitPath(node.suszPath);
    journal.KeepFolderTime(parts.drive + parts.dir);
    SplitBigFile(pieceSize, node, &journal);
    if (PiecesComplete(node, pieceSize)) return true;
    DeleteFiles(&node.splitPathArray);
    node.splitPathArray.clear();
    return false;
}

}  // namespace

CString CategoryOfExtension(CQXSerialization& catalog, const CString& extension) {
    for (const TypeEntry& type : catalog.GetTypeList()) {
        bool matches = extension.IsEmpty() ? HasCatchAllPattern(type) : MatchExtension(extension, &type.Extension);
        if (matches) return type.Category;
    }
    return kOthers;
}

const FileNode& EnterFile(CQXSerialization& catalog, const CString& path, const CString& category, ULONGLONG size,
                          ULONGLONG bigFileThreshold, RunJournal& journal, size_t filesToCome) {
    FileNode node;
    node.suszPath = path;
    node.Extension = ExtensionOf(path);
    node.Category = category;
    node.size = size;

    CString upperPath = path;
    upperPath.MakeUpper();
    CategoryFiles* existing = catalog.FindCategoryFiles(node.Category);
    CategoryFiles created;
    CategoryFiles& record = existing ? *existing : created;
    record.Category = node.Category;
    record.arFileList.push_back(upperPath);

    if (bigFileThreshold != 0 && node.size > bigFileThreshold && CutIntoPieces(node, bigFileThreshold, journal)) {
        catalog.m_arBigFile.push_back(node);
        record.arBigFileList.push_back(upperPath);
    }

    if (!existing) {
        record.iOrder = static_cast<int>(catalog.m_arCategoryFiles.size()) + 1;
        node.IndexofImage.push_back(record.iOrder);
        catalog.m_arCategoryFiles.push_back(record);
    } else {
        node.IndexofImage.push_back(record.iOrder);
    }
    catalog.AddFileToDrive(std::move(node));
    std::vector<FileNode>& files = catalog.FindDrive(DriveRootOf(path))->arFileList;
    if (files.size() == 1) files.reserve(1 + filesToCome);
    return files.back();
}
