// What became of each file a backup is given. Every listed file ends in
// exactly one class, and the backup is complete only when none of them is
// missing or left out: success is never taken from the absence of an error.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "atlstr.h"
#include "image/capture_context.h"

class BackupAccount {
public:
    enum class Outcome : uint8_t {
        Pending,     // to be stored: its stand-ins are offered to the captures
        Stored,      // every stand-in of it was taken
        Excluded,    // the host's exclusion list names it
        NoCategory,  // no chosen category takes its extension
        Missing,     // no file is there
        LeftOut,     // there, of a chosen category, and not stored: named to the host
    };

    // Enters a listed file under the path it has on disk (as given when it is
    // missing). A file listed before keeps its first entry: *again is set and
    // that entry's index returned.
    uint32_t Enter(const CString& path, bool* again);
    void Set(uint32_t file, Outcome outcome) { m_files[file].outcome = outcome; }
    // The pending file is stored once the captures take this many stand-ins
    // of it: the file or its exception copy (1), or its pieces; bytes is its size.
    void Expect(uint32_t file, uint32_t standIns, ULONGLONG bytes) {
        m_files[file].standIns = standIns;
        m_files[file].bytes = bytes;
    }
    // After the captures: a pending file whose stand-ins were all taken, none
    // left out, is stored; one an error left out is left out; the others are
    // left out and returned, to be named.
    std::vector<uint32_t> Settle(const std::vector<FileMarks>& marks);
    // Nothing listed is missing or left out.
    bool Complete() const;
    size_t Count(Outcome outcome) const;
    // The bytes of the files expected to be stored, with this outcome.
    ULONGLONG Bytes(Outcome outcome) const;

    const std::vector<CString>& paths() const { return m_paths; }
    size_t size() const { return m_paths.size(); }

    BackupAccount() = default;
    BackupAccount(const BackupAccount&) = delete;
    BackupAccount& operator=(const BackupAccount&) = delete;

private:
    // The index holds entries by number and finds them by their paths, kept once, in m_paths.
    struct PathHash {
        const std::vector<CString>* paths;
        size_t operator()(uint32_t file) const { return std::hash<std::u16string>()((*paths)[file].str()); }
    };
    struct SamePath {
        const std::vector<CString>* paths;
        bool operator()(uint32_t a, uint32_t b) const { return (*paths)[a].str() == (*paths)[b].str(); }
    };

    struct File {
        Outcome outcome = Outcome::Pending;
        uint32_t standIns = 0;
        ULONGLONG bytes = 0;
    };
    std::vector<CString> m_paths;
    std::vector<File> m_files;
    std::unordered_set<uint32_t, PathHash, SamePath> m_index{0, PathHash{&m_paths}, SamePath{&m_paths}};
};
