// Rebuilding big files: stored nodes whose pieces were applied below D:\Restore.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "big_file_fixture.h"

namespace bigfiles {

class MergeTest : public BigFileTest {
protected:
    // A stored node for path whose pieces were applied below D:\Restore; a
    // piece given as nullptr is missing there.
    FileNode& AddNode(const CString& path, const std::vector<const char*>& pieces, std::vector<int> images = {1}) {
        FileNode node;
        node.suszPath = path;
        node.IndexofImage = images;
        for (size_t i = 0; i < pieces.size(); ++i) {
            CString piece;
            piece.Format(u"%s.%03d", path.GetString(), static_cast<int>(i));
            node.splitPathArray.push_back(piece);
            std::string content = pieces[i] ? pieces[i] : "";
            node.size += content.size();
            if (pieces[i]) drives.Write(u"D:\\Restore\\" + piece.Mid(3), content);
        }
        catalog.m_arBigFile.push_back(node);
        catalog.m_bigFileTotalSize += node.size;
        return catalog.m_arBigFile.back();
    }
    CString Restored(const CString& rest) const { return drives.Path(u"D:\\Restore\\" + rest); }
    // The names in a folder, sorted.
    std::vector<std::string> Names(const CString& folder) const {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(Host(folder))) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace bigfiles
