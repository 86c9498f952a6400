// qxfm: a command-line host for libQXFileMgr.so.
#include <cstdio>
#include <cstring>
#include <string>

#include "cancel.h"
#include "commands.h"
#include "outcome.h"
#include "qxplatform.h"

namespace {

const char* kGeneralHelp =
    "usage: qxfm COMMAND [OPTIONS]   (qxfm COMMAND --help for each command)\n"
    "       qxfm --version\n"
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
    "\n"
    "Paths: a Windows path (C:\\...) names a place on the drive table; any other path\n"
    "is a host path (absolute or relative to the current folder) and is mapped to the\n"
    "drive that holds it. The drive table comes from QXFM_DRIVES, else from the host's\n"
    "mounts (/ is C:). The library writes Dbg.log and SourceFileList.log into the\n"
    "current folder.\n"
    "\n"
    "Output: results on stdout; progress, steps and warnings on stderr, as a progress\n"
    "bar when stderr is a terminal, plain lines otherwise (or with QXFM_PLAIN=1).\n"
    "Ctrl-C cancels the running operation. Exit status: 0 success, 1 failure,\n"
    "2 wrong usage, 130 cancelled; a failure ends with one line \"qxfm: REASON\".\n"
    "For tests, QXFM_CANCEL_AFTER=N acts as Ctrl-C at the N-th continue-callback call.\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace qxfm;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // results and progress keep their order in a pipe
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) {
        std::fputs(kGeneralHelp, argc < 2 ? stderr : stdout);
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
        if (!ParseArgs(argc, argv, 2, command.valued, command.flags, &args, &error))
            return Fail(kExitUsage, std::string(command.name) + ": " + error + " (see qxfm " + command.name + " --help)");
        if (args.Has("--help")) {
            std::fputs(command.help, stdout);
            return kExitOk;
        }
        if (const std::string problem = QxDriveTableProblem(); !problem.empty()) return Fail(kExitUsage, problem);
        InstallInterruptHandler();
        Host host;
        if (!host.Open(&error)) return Fail(kExitFailed, error);
        return command.run(host, args);
    }
    return Fail(kExitUsage, std::string("unknown command ") + argv[1] + " (see qxfm --help)");
}
