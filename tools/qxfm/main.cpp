// qxfm: a command-line host for the module (libQXFileMgr.so, QXFileMgr.dll).
#include <cstdio>
#include <cstring>
#include <string>

#include "cancel.h"
#include "commands.h"
#include "host_paths.h"
#include "outcome.h"
#include "output.h"
#include "terminal.h"

namespace {

const char* kCommandsHelp =
    "usage: qxfm COMMAND [OPTIONS]   (qxfm COMMAND --help for each command)\n"
    "       qxfm -h | --help | --version\n"
    "\n"
    "Commands:\n"
    "  categories TYPES                  list the categories of a type list file\n"
    "  scan                              find files by category\n"
    "  backup                            back files up into an image with a catalog\n"
    "  raw --to FOLDER FILES...          copy files into a time-stamped folder\n"
    "  verify FOLDER [--deep]            check that a backup is complete (--deep: its data)\n"
    "  list FOLDER                       list the files a backup holds\n"
    "  categories-of FOLDER              list the categories of a backup\n"
    "  restore FOLDER --to TARGET        restore categories of a backup\n"
    "  delete FOLDER                     delete a folder tree\n"
    "  demo --types TYPES                run the whole cycle on a generated sample\n"
    "\n";

const char* kOutputHelp =
    "\n"
    "The library writes Dbg.log and SourceFileList.log into the current folder.\n"
    "\n"
    "Output: results and a summary on stdout; on stderr one progress line per operation\n"
    "(phase, percent, bytes done of the total where it is known, rate, time left),\n"
    "redrawn in place on a terminal and written once at its end otherwise (or with\n"
    "QXFM_PLAIN=1). Options of every command: --quiet prints errors only, --verbose\n"
    "also the library's own texts; scan, backup, raw, verify, list, categories-of and\n"
    "restore take --json: one JSON document on stdout (fields in README.md).\n"
    "Ctrl-C cancels the running operation. A failure ends with one line \"qxfm: REASON\".\n"
    "\n"
    "Exit status:\n"
    "  0    success\n"
    "  1    failure\n"
    "  2    wrong usage (also a malformed QXFM_DRIVES, or a backup that would replace\n"
    "       another one without --replace)\n"
    "  3    backed up, but the image could not be split and stays one .wim\n"
    "  4    backed up, but files were left out; or a scan could not list a folder\n"
    "  130  cancelled (Ctrl-C)\n"
    "\n"
    "For tests, QXFM_CANCEL_AFTER=N acts as Ctrl-C at the N-th continue-callback call.\n";

// Appended to each command's help; --json only for the commands that take it.
const char* kJsonOptionHelp =
    "  --json      one JSON document on stdout instead of the summary (see README.md)\n";
const char* kVerbosityHelp =
    "  --quiet     print errors only\n"
    "  --verbose   also print the library's own texts and warnings\n";

int RunCommand(const qxfm::Command& command, const qxfm::Args& args) {
    using namespace qxfm;
    if (const std::string problem = PathSetupProblem(); !problem.empty()) return Fail(kExitUsage, problem);
    InstallInterruptHandler();
    Host host;
    std::string error;
    if (!host.Open(&error)) return Fail(kExitFailed, error);
    return command.run(host, args);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qxfm;
    PrepareOutput();
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        std::FILE* out = argc < 2 ? stderr : stdout;
        for (const char* part : {kCommandsHelp, kPathsHelp, kOutputHelp}) std::fputs(part, out);
        return argc < 2 ? kExitUsage : kExitOk;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("qxfm %s\n", QXFM_VERSION);
        return kExitOk;
    }
    for (const Command& command : Commands()) {
        if (command.name != std::string(argv[1])) continue;
        Args args;
        std::string error;
        std::set<std::string> flags = command.flags;
        flags.insert({"--quiet", "--verbose"});
        if (command.json) flags.insert("--json");
        if (!ParseArgs(argc, argv, 2, command.valued, flags, &args, &error))
            return Fail(kExitUsage, std::string(command.name) + ": " + error + " (see qxfm " + command.name + " --help)");
        if (args.Has("--help")) {
            std::fputs(command.help, stdout);
            std::printf("Output:\n%s%s", command.json ? kJsonOptionHelp : "", kVerbosityHelp);
            return kExitOk;
        }
        if (args.Has("--quiet") && args.Has("--verbose"))
            return Fail(kExitUsage, std::string(command.name) + ": give --quiet or --verbose, not both");
        Output& output = TheOutput();
        output.verbosity = args.Has("--quiet") ? Verbosity::Quiet
                           : args.Has("--verbose") ? Verbosity::Verbose
                                                   : Verbosity::Normal;
        output.json = args.Has("--json");
        if (output.json) Report("command") = command.name;
        const int status = RunCommand(command, args);
        if (output.json) {
            Report("exit_status") = status;
            Report("seconds") = SecondsSinceStart();
            std::printf("%s\n", output.document.Dump().c_str());
        }
        return status;
    }
    return Fail(kExitUsage, std::string("unknown command ") + argv[1] + " (see qxfm --help)");
}
