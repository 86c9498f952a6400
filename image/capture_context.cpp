#include "image/capture_context.h"

#include <algorithm>

std::u16string TakenItems::NameOf(const CString& path) {
    std::u16string name = path.str();
    if (!name.empty() && name[0] >= u'a' && name[0] <= u'z') name[0] = static_cast<char16_t>(name[0] - u'a' + u'A');
    return name;
}

void TakenItems::Add(const CString& path, Kind kind, ULONGLONG size, uint32_t file) {
    if (path.GetLength() < 3) return;
    std::u16string name = NameOf(path);
    // Every folder on the way, deepest first, until one that is already there.
    if (kind != Kind::BigFile)
        for (size_t at = name.rfind(u'\\'); at != std::u16string::npos && at > 2; at = name.rfind(u'\\', at - 1)) {
            auto entered = items.emplace(name.substr(0, at), Item{Kind::Folder, kNoFile, 0});
            if (!entered.second && entered.first->second.kind == Kind::Folder) break;
        }
    items.emplace(std::move(name), Item{kind, file, size});
}

const TakenItems::Item* TakenItems::Find(const std::u16string& name) const {
    auto found = items.find(name);
    return found == items.end() ? nullptr : &found->second;
}

void TakenItems::AddPiece(const CString& piece, const CString& bigFile, uint32_t file) {
    if (piece.GetLength() < 3) return;
    Add(piece, Kind::Piece, 0, file);
    bigFileOfPiece.emplace(NameOf(piece), NameOf(bigFile));
}

bool ListLogLines::RemoveFile(const CString& path) {
    for (size_t i = m_lines.size(); i-- > 1;) {
        if (m_lines[i] != path) continue;
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(std::min(i + 2, m_lines.size())));
        return true;
    }
    return false;
}

void CaptureContext::FinishStep() {
    if (stepCount > 0) overallCapturePercent = std::min<UINT>(100, overallCapturePercent + 100 / stepCount);
}

CString CaptureContext::AsTheHostNamesIt(const CString& path) const {
    const int length = workFolder.GetLength();
    if (length == 0 || path.Left(length).CompareNoCase(workFolder) != 0) return path;
    return hostFolder + path.Mid(length);
}
