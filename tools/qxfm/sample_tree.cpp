#include "sample_tree.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <vector>

namespace qxfm {
namespace {

// Writes size bytes of xorshift noise (deterministic per seed, not compressible).
void WriteNoise(const std::string& path, unsigned long long size, uint64_t seed) {
    const std::filesystem::path file = std::filesystem::u8path(path);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::vector<uint64_t> block(1 << 16);
    uint64_t x = 0x9E3779B97F4A7C15ULL ^ seed;
    for (unsigned long long done = 0; done < size;) {
        for (uint64_t& w : block) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            w = x;
        }
        const unsigned long long n = std::min<unsigned long long>(size - done, block.size() * sizeof(uint64_t));
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
        done += n;
    }
}

}  // namespace

std::vector<SampleFile> WriteSampleTree(const std::string& root, unsigned long long bigFileBytes) {
    const std::vector<SampleFile> files = {
        {"Documents/report.docx", 48 * 1024},
        {"Documents/notes.txt", 3 * 1024},
        {"Documents/Taxes 2025/return.pdf", 200 * 1024},
        {"Documents/Taxes 2025/receipts.xlsx", 64 * 1024},
        {"Pictures/beach.jpg", 900 * 1024},
        {"Pictures/Family/party.png", 1200 * 1024},
        {"Music/song.mp3", 3 * 1024 * 1024},
        {"Music/Live/concert.flac", 5 * 1024 * 1024},
        {"Videos/holiday.mp4", bigFileBytes},
        {"Downloads/setup.bin", 256 * 1024},
    };
    uint64_t seed = 1;
    for (const SampleFile& f : files) WriteNoise(root + "/" + f.relativePath, f.size, seed++);
    return files;
}

bool SameContent(const std::string& a, const std::string& b) {
    std::ifstream fa(std::filesystem::u8path(a), std::ios::binary), fb(std::filesystem::u8path(b), std::ios::binary);
    if (!fa || !fb) return false;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (true) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (fa.gcount() != fb.gcount()) return false;
        if (fa.gcount() == 0) return true;
        if (!std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin())) return false;
    }
}

}  // namespace qxfm
