#include "drive_table.h"

#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>

namespace {

std::mutex g_tableMutex;
std::atomic<const QxDriveTable*> g_table{nullptr};
// Replaced tables stay alive: callers may still hold QxDrive pointers into them.
std::vector<std::unique_ptr<QxDriveTable>> g_tables;

std::unique_ptr<QxDriveTable> MakeTable(std::vector<QxDrive> drives, std::string problem) {
    auto table = std::make_unique<QxDriveTable>();
    table->problem = std::move(problem);
    std::sort(drives.begin(), drives.end(), [](const QxDrive& a, const QxDrive& b) { return a.letter < b.letter; });
    table->drives = std::move(drives);
    for (const QxDrive& d : table->drives) {
        char* real = realpath(QxDriveRootDir(d).c_str(), nullptr);
        std::string resolved = real ? std::string(real) : d.hostRoot;
        free(real);
        if (resolved == "/") resolved.clear();
        table->realRoots.push_back(resolved);
    }
    for (const QxDrive& d : table->drives) table->byLetter[d.letter - u'A'] = &d;
    return table;
}

// The process default: QXFM_DRIVES when it is set, else the host's mounts. A
// malformed QXFM_DRIVES gives no drives at all, never the host's mounts: a typo
// must not turn C: into the host's root.
std::vector<QxDrive> DefaultDrives(std::string& problem) {
    const char* env = getenv("QXFM_DRIVES");
    if (!env || !*env) return QxDrivesFromHostMounts();
    std::vector<QxDrive> drives;
    if (!QxParseDriveSpec(env, drives, &problem)) problem = "QXFM_DRIVES " + problem;
    return drives;
}

const QxDriveTable* Install(std::vector<QxDrive> drives, std::string problem = std::string()) {
    std::unique_ptr<QxDriveTable> table = MakeTable(std::move(drives), std::move(problem));
    const QxDriveTable* raw = table.get();
    g_tables.push_back(std::move(table));
    g_table.store(raw, std::memory_order_release);
    return raw;
}

// True when path equals root or lies below it ("" is the host root).
bool IsUnder(const std::string& path, const std::string& root) {
    if (root.empty()) return !path.empty() && path[0] == '/';
    return path.compare(0, root.size(), root) == 0 && (path.size() == root.size() || path[root.size()] == '/');
}

}  // namespace

const QxDriveTable& QxCurrentDriveTable() {
    const QxDriveTable* table = g_table.load(std::memory_order_acquire);
    if (table) return *table;
    std::lock_guard<std::mutex> lock(g_tableMutex);
    table = g_table.load(std::memory_order_acquire);
    if (table) return *table;
    try {
        std::string problem;
        std::vector<QxDrive> drives = DefaultDrives(problem);
        return *Install(std::move(drives), std::move(problem));
    } catch (...) {
        static const QxDriveTable kEmpty;  // out of memory: no drives until the next try
        return kEmpty;
    }
}

bool QxSetDriveTable(const std::string& tableText) {
    try {
        std::vector<QxDrive> drives;
        std::string problem;
        if (tableText.empty()) drives = DefaultDrives(problem);
        else if (!QxParseDriveSpec(tableText, drives)) return false;
        std::lock_guard<std::mutex> lock(g_tableMutex);
        return Install(std::move(drives), std::move(problem))->problem.empty();
    } catch (...) {
        return false;
    }
}

std::string QxDriveTableProblem() { return QxCurrentDriveTable().problem; }

const QxDrive* QxFindDrive(WCHAR letter) {
    if (letter >= u'a' && letter <= u'z') letter = static_cast<WCHAR>(letter - u'a' + u'A');
    if (letter < u'A' || letter > u'Z') return nullptr;
    return QxCurrentDriveTable().byLetter[letter - u'A'];
}

const QxDrive* QxDriveHoldingHostPath(const std::string& hostPath, std::string* rest) {
    const QxDriveTable& table = QxCurrentDriveTable();
    const QxDrive* best = nullptr;
    size_t bestLength = 0;
    for (size_t i = 0; i < table.drives.size(); ++i) {
        for (const std::string* root : {&table.drives[i].hostRoot, &table.realRoots[i]}) {
            if (!IsUnder(hostPath, *root)) continue;
            if (!best || root->size() > bestLength) {
                best = &table.drives[i];
                bestLength = root->size();
                if (rest) *rest = hostPath.substr(root->size());
            }
        }
    }
    return best;
}
