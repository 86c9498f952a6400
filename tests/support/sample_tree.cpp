#include "sample_tree.h"

namespace qxtest {

std::vector<CString> SampleTree::Paths() const {
    std::vector<CString> out;
    for (const auto& f : files) out.push_back(f.path);
    return out;
}

const SampleFile* SampleTree::Find(const CString& path) const {
    for (const auto& f : files)
        if (f.path.CompareNoCase(path) == 0) return &f;
    return nullptr;
}

std::string NoiseBytes(size_t size, unsigned seed) {
    std::string out(size, '\0');
    uint64_t x = 0x9E3779B97F4A7C15ULL ^ seed;
    for (size_t i = 0; i < size; i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        for (size_t k = 0; k < 8 && i + k < size; ++k) out[i + k] = static_cast<char>(x >> (8 * k));
    }
    return out;
}

SampleTree MakeSampleTree(const TestDrives& drives, size_t bigFileBytes) {
    SampleTree tree;
    auto add = [&](const char16_t* path, const std::string& content, const char16_t* category) {
        tree.files.push_back({drives.Path(path), content, CString(category)});
        drives.Write(path, content);
    };
    add(u"C:\\Users\\ann\\Documents\\report.doc", "quarterly report\n", u"DOCUMENTS");
    add(u"C:\\Users\\ann\\Documents\\notes.txt", NoiseBytes(70000, 1), u"DOCUMENTS");
    add(u"C:\\Users\\ann\\Pictures\\beach.jpg", NoiseBytes(120000, 2), u"PICTURES");
    add(u"C:\\Users\\ann\\Music\\song.mp3", NoiseBytes(90000, 3), u"MUSIC");
    add(u"C:\\Users\\ann\\setup.bin", "not in any category", u"OTHERS");
    add(u"D:\\Archive\\old letter.doc", "dear sir\n", u"DOCUMENTS");
    add(u"D:\\Archive\\Photos 2010\\lake.png", NoiseBytes(50000, 4), u"PICTURES");
    add(u"D:\\Archive\\empty.txt", "", u"DOCUMENTS");

    // Over-length paths: one whose tail stays short, one whose name alone is too long.
    CString deep = u"C:\\Users\\ann\\Documents";
    for (int i = 0; i < 12; ++i) deep += u"\\a rather long folder name";
    add((deep + u"\\deep report.doc").GetString(), "deep down\n", u"DOCUMENTS");
    CString longName = u"D:\\Archive\\" + CString(u'n', 230) + u".txt";
    add(longName.GetString(), "long name\n", u"DOCUMENTS");

    if (bigFileBytes > 0) add(u"C:\\Users\\ann\\Videos\\holiday.avi", NoiseBytes(bigFileBytes, 5), u"VIDEO");

    drives.Write(u"C:\\types.txt",
                 "[Documents]\r\ndoc, docx, txt\r\n[Pictures]\r\njpg,jpeg,png\r\n[Music]\r\nmp3\r\n[Video]\r\navi,mp4\r\n");
    tree.typeList = drives.Path(u"C:\\types.txt");
    return tree;
}

std::vector<CString> ChangedFiles(const TestDrives& drives, const SampleTree& tree) {
    std::vector<CString> changed;
    for (const auto& f : tree.files) {
        std::string host = drives.Host(f.path);
        if (!HostExists(host) || ReadHostFile(host) != f.content) changed.push_back(f.path);
    }
    return changed;
}

}  // namespace qxtest
