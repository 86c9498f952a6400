// Thousands of mutated catalogs: load never crashes, and a catalog it rejects
// leaves the object empty. Run under AddressSanitizer in CI.
#include <gtest/gtest.h>

#include <random>

#include "services/state.h"
#include "catalog/serialization.h"
#include "catalog_bytes.h"
#include "testhost.h"

using namespace cattest;

namespace {

const uint32_t kInteresting[] = {0, 1, 0xFF, 0xFFFE, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};

std::string Mutate(std::string bytes, std::mt19937& rng) {
    auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
    int edits = 1 + static_cast<int>(pick(4));
    for (int e = 0; e < edits; ++e) {
        switch (pick(6)) {
        case 0:  // flip a bit
            if (!bytes.empty()) bytes[pick(bytes.size())] ^= static_cast<char>(1 << pick(8));
            break;
        case 1:  // a random byte
            if (!bytes.empty()) bytes[pick(bytes.size())] = static_cast<char>(pick(256));
            break;
        case 2: {  // an interesting 32-bit value
            if (bytes.size() < 4) break;
            uint32_t v = kInteresting[pick(std::size(kInteresting))];
            size_t at = pick(bytes.size() - 3);
            for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
            break;
        }
        case 3:  // cut the end
            bytes.resize(pick(bytes.size() + 1));
            break;
        case 4: {  // repeat a piece
            size_t at = pick(bytes.size() + 1);
            size_t n = std::min(pick(64), bytes.size() - at);
            bytes.insert(at, bytes.substr(at, n));
            break;
        }
        default:  // remove a piece
            if (!bytes.empty()) {
                size_t at = pick(bytes.size());
                bytes.erase(at, pick(16) + 1);
            }
            break;
        }
    }
    return bytes;
}

TEST(CatalogFuzz, MutatedCatalogsNeverCrashLoad) {
    qxtest::TestDrives drives{{"C"}};
    g_pHostWnd = nullptr;
    const std::string host = drives.Host(u"C:\\b\\Tarvolen.fbu");
    const std::string seeds[] = {CatalogFile(FullBody()), CatalogFile(EmptyBody()),
                                 std::string(Signature()) + I32(5) + FullBody()};
    std::mt19937 rng(20261208);
    int rejected = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string bytes = Mutate(seeds[i % std::size(seeds)], rng);
        qxtest::WriteHostFile(host, bytes);
        CQXSerialization c;
        if (!c.Load(drives.Path(u"C:\\b"))) {
            ++rejected;
            ASSERT_TRUE(c.m_arDrive.empty() && c.m_arType.empty() && c.GetImageList()->empty() &&
                        c.m_arBigFile.empty() && c.m_OverLengthFileList.empty())
                << "iteration " << i;
        }
    }
    EXPECT_GT(rejected, 0);
}

TEST(CatalogFuzz, RandomBytesNeverCrashLoad) {
    qxtest::TestDrives drives{{"C"}};
    g_pHostWnd = nullptr;
    const std::string host = drives.Host(u"C:\\b\\Tarvolen.fbu");
    std::mt19937 rng(7);
    for (int i = 0; i < 500; ++i) {
        std::string bytes = Signature() + Time64(1);
        size_t n = std::uniform_int_distribution<size_t>(0, 300)(rng);
        for (size_t k = 0; k < n; ++k) bytes += static_cast<char>(rng() & 0xFF);
        qxtest::WriteHostFile(host, bytes);
        CQXSerialization c;
        c.Load(drives.Path(u"C:\\b"));
    }
}

}  // namespace
