// The time-stamped folder of one raw backup. It is filled under a temporary
// name, "<stamp>.incomplete", and takes its time-stamped name only when the
// run keeps it; everything made inside it is entered in the destination's raw
// backup journal first, so that the next raw backup into the destination
// removes what a killed run left there, and nothing else.
#pragma once

#include <vector>

#include "atlstr.h"
#include "services/run_journal.h"

class CRawBackupFolder {
public:
    // Nothing is made yet: the folder comes with the first Open.
    explicit CRawBackupFolder(const CString& destinationFolder);
    // Removes what the run made unless it was kept.
    ~CRawBackupFolder();
    CRawBackupFolder(const CRawBackupFolder&) = delete;
    CRawBackupFolder& operator=(const CRawBackupFolder&) = delete;

    // Makes the folder, once: clears what a killed earlier run left in the
    // destination, starts the journal and makes the folder under its temporary
    // name. False when that failed (-230 posted when the destination could not
    // be made); a later call tries again.
    bool Open();
    // The folder the copies go to, with a trailing backslash; empty until open.
    const CString& Path() const { return m_path; }
    // Makes the folders on the way to file below Path() (a folder path ends in
    // a backslash), each level as spelled. False on failure (-230 posted when a
    // folder could not be made).
    bool MakeFoldersFor(const CString& file);
    // Enters a file about to be made below Path(); false when it must not be made.
    bool WillCreate(const CString& file);
    // Gives the folder its time-stamped name: "<destination>\<local time of
    // the start as "%Y-%m-%d %H%M%S">", or with " (2)", " (3)" ... when that
    // name is taken, so that no run writes into another's folder. False when
    // the folder could not be named; it is removed then.
    bool Keep();
    // Removes everything this run made: the folder and the folders of the
    // destination path that did not exist before.
    void Remove();

private:
    CString m_destination;   // with a trailing backslash
    CString m_stamp;
    CString m_path;
    RunJournal m_journal;
    bool m_started = false; // the journal was started
    bool m_open = false;    // and the folder made
    std::vector<CString> m_madeLevels; // missing destination levels, deepest first
};
