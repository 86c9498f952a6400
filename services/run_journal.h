// The journal of a backup: what the run is about to make outside the place it
// finally keeps it (pieces of big files, exception copies and their folders,
// the new image set in a work folder) is entered here, in the backup folder,
// before it is made. Replaying the journal removes those things again, gives
// touched folders their last-write times back and, once the run committed a
// complete new set, moves that set over the old one. A run replays its own
// journal at its end; the next backup or restore of the folder replays the
// journal a killed run left behind. The raw backup keeps a journal of its own
// kind, under another name, for its time-stamped folder.
#pragma once

#include <utility>
#include <vector>

#include "atlstr.h"
#include "services/scoped_handle.h"

inline constexpr WCHAR kBackupJournalName[] = u"Tarvolen.journal";
inline constexpr WCHAR kRawBackupJournalName[] = u"BackupRaw.journal";

class RunJournal {
public:
    // The journal of folder (with or without a trailing backslash).
    explicit RunJournal(const CString& folder, const WCHAR* name = kBackupJournalName);
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // Starts an empty journal file. False when it cannot be written: the run
    // must then make nothing.
    bool Open();
    // Each entry is written before the thing it names is made; false when it
    // could not be written, and the thing must then not be made.
    bool WillCreate(const CString& file);
    // The name turned out to be taken by a file that is not ours.
    void NotCreated(const CString& file);
    // A folder about to be made; a replay removes it when it is empty then.
    bool WillCreateFolder(const CString& folder);
    // A folder whose every file is the run's own (the new set before it is moved).
    bool WillCreateWorkFolder(const CString& folder);
    // Makes a new work folder named base, or base followed by 2, 3 ... when
    // that name is taken, and stores its path into *made. False when none
    // could be entered or made.
    bool MakeWorkFolder(const CString& base, CString* made);
    // Remembers a folder's last-write time, once per folder, before the run
    // changes what the folder holds.
    void KeepFolderTime(const CString& folder);
    // Gives every kept folder its time back, while what the run made stays.
    void RestoreFolderTimes();
    // The new set is complete: each (temporary, final) pair is moved over its
    // final name, and each obsolete file of the old set is removed. From here
    // on a replay completes the replacement.
    bool Commit(const std::vector<std::pair<CString, CString>>& moves, const std::vector<CString>& obsolete);
    // Carries out the journal and deletes it. False when a committed move
    // failed: the journal then stays for the next replay, with all it names.
    bool Replay();
    // Deletes the journal without carrying it out, once what it names has
    // moved out of its reach: there is nothing left to undo.
    bool Drop();

    // Replays the journal a run left in folder, if there is one, acting only
    // on what a run makes. False when it could not be carried out completely.
    static bool ReplayLeft(const CString& folder, const WCHAR* name = kBackupJournalName);

private:
    struct Entry {
        WCHAR tag;
        CString path;
        CString other;  // the final name of a move; the time of a kept folder time
    };
    bool Add(WCHAR tag, const CString& path, const CString& other = CString());
    bool MayTouch(const Entry& entry) const;
    // Drops, with a debug-log line each, the loaded entries no run would write.
    void DropWhatNoRunMakes();
    bool Load();
    bool MoveCommitted();
    void RemoveMade();

    CString m_folder;  // ends in a backslash
    CString m_path;
    ScopedFileHandle m_file;
    std::vector<Entry> m_entries;
};
