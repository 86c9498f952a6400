// Runs the qxfm binary as a person would: with arguments, an environment of
// its own and a current folder; with plain output through pipes or on a
// pseudo-terminal.
#pragma once

#include <string>
#include <vector>

namespace qxfmtest {

struct ToolRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
    // The last non-empty line of stderr.
    std::string LastErrLine() const;
};

struct ToolOptions {
    std::string cwd;
    std::string drives;                 // QXFM_DRIVES; empty: the host's default table
    std::vector<std::string> extraEnv;  // "NAME=value"
};

// stdout with the sizes and times of a summary left out, as the tests compare
// it: "2 files stored in 1 image file(s)", "1 files, 4 bytes".
std::string WithoutSizesAndTimes(const std::string& out);
// How often what occurs in text.
size_t Count(const std::string& text, const std::string& what);

// Runs qxfm to its end with stdout and stderr on pipes (plain output).
ToolRun RunTool(const std::vector<std::string>& args, const ToolOptions& options);
// Runs qxfm with both streams on a pseudo-terminal; out holds all it wrote.
ToolRun RunToolInTerminal(const std::vector<std::string>& args, const ToolOptions& options);
// Runs qxfm and sends it SIGINT once its stderr contains trigger.
ToolRun RunToolInterruptedAt(const std::vector<std::string>& args, const ToolOptions& options,
                             const std::string& trigger);

}  // namespace qxfmtest
