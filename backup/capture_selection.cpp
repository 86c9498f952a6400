#include "backup/capture_selection.h"

#include "services/path_parts.h"

void CaptureSelection::Enter(const FileNode& node, uint32_t file) {
    TakenItems& items = m_items[{DriveRootOf(node.suszPath).str(), node.Category.str()}];
    if (node.splitPathArray.empty()) {
        items.Add(node.suszPath, TakenItems::Kind::File, node.size, file);
        return;
    }
    items.Add(node.suszPath, TakenItems::Kind::BigFile, node.size, file);
    for (const CString& piece : node.splitPathArray) items.AddPiece(piece, node.suszPath, file);
}

const TakenItems& CaptureSelection::Of(const CString& drive, const CString& category) const {
    auto found = m_items.find({drive.str(), category.str()});
    return found == m_items.end() ? m_none : found->second;
}
