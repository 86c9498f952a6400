#include "backup/capture_selection.h"

CaptureSelection::CaptureSelection(const CQXSerialization& catalog) {
    for (const DriveEntry& drive : catalog.m_arDrive)
        for (const FileNode& node : drive.arFileList) {
            TakenItems& items = m_items[{drive.Drive.str(), node.Category.str()}];
            if (node.splitPathArray.empty()) {
                items.Add(node.suszPath, TakenItems::Kind::File, node.size);
                continue;
            }
            items.Add(node.suszPath, TakenItems::Kind::BigFile, node.size);
            for (const CString& piece : node.splitPathArray) items.AddPiece(piece, node.suszPath);
        }
}

const TakenItems& CaptureSelection::Of(const CString& drive, const CString& category) const {
    auto found = m_items.find({drive.str(), category.str()});
    return found == m_items.end() ? m_none : found->second;
}
