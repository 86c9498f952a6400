// What a run of qxfm writes, as its options chose: --quiet, --verbose, --json.
#pragma once

#include <chrono>

#include "json.h"

namespace qxfm {

enum class Verbosity {
    Quiet,    // errors only
    Normal,   // one progress line per operation and a summary
    Verbose,  // and the library's own texts and warnings
};

struct Output {
    Verbosity verbosity = Verbosity::Normal;
    bool json = false;            // one JSON document on stdout instead of the summary
    Json document = Json::Object();  // filled by the command; "exit_status" and "error" by qxfm
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

// The run's output settings and document.
Output& TheOutput();
// The summary and notes go to stdout: neither --quiet nor --json.
bool PrintsSummary();
// What a command lists (paths, categories, files of a backup) goes to stdout: not --json.
bool PrintsListing();
// Seconds since qxfm started.
double SecondsSinceStart();
// The document's member for this key.
inline Json& Report(const std::string& key) { return TheOutput().document[key]; }

}  // namespace qxfm
