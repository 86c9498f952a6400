// qxfm driven as a person drives it: commands, output, exit status, the
// one-line reason of a failure, cancellation and the progress bar.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "qxfm_fixture.h"

using namespace qxtest;
using namespace qxfmtest;

namespace {

TEST_F(QxfmTool, HelpForTheToolAndEveryCommand) {
    ToolRun general = Run({"--help"});
    EXPECT_EQ(general.status, 0);
    for (const char* command :
         {"categories", "scan", "backup", "raw", "verify", "list", "categories-of", "restore", "delete", "demo"}) {
        EXPECT_NE(general.out.find(std::string("  ") + command + " "), std::string::npos) << command;
        ToolRun help = Run({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: qxfm ") + command, 0), 0u) << help.out;
    }
    EXPECT_EQ(Run({"-h"}).out, general.out);
    EXPECT_EQ(Run({"backup", "-h"}).out, Run({"backup", "--help"}).out);
    // Every exit status, in the help and in the man page; the man page has every command.
    std::string manPage = ReadHostFile(QXFM_TOOL_SOURCE_DIR "/share/qxfm.1");
    for (size_t at; (at = manPage.find("\\-")) != std::string::npos;) manPage.erase(at, 1);
    for (const char* status : {"0", "1", "2", "3", "4", "130"}) {
        EXPECT_NE(general.out.find(std::string("\n  ") + status + " "), std::string::npos) << status;
        EXPECT_NE(manPage.find(std::string("\n.TP\n.B ") + status + "\n"), std::string::npos) << status;
    }
    for (const char* command :
         {"categories", "scan", "backup", "raw", "verify", "list", "categories-of", "restore", "delete", "demo"})
        EXPECT_TRUE(manPage.find(std::string("\n.BI \"") + command + " ") != std::string::npos ||
                    manPage.find(std::string("\n.B ") + command + " ") != std::string::npos)
            << command;
    // The bash completion offers the commands and a command's options, taken from this qxfm.
    const std::string complete = "bash -c 'source " QXFM_TOOL_SOURCE_DIR "/share/qxfm.bash; COMP_WORDS=(" QXFM_TOOL_PATH
                                 " \"$@\"); COMP_CWORD=$#; _qxfm " QXFM_TOOL_PATH "; echo \"${COMPREPLY[*]}\"' _ ";
    EXPECT_EQ(RunCommand(complete + "cat"), "categories categories-of\n");
    EXPECT_EQ(RunCommand(complete + "backup --sp"), "--split-mb\n");
    EXPECT_EQ(RunCommand(complete + "backup --re"), "--replace\n");
    EXPECT_EQ(RunCommand(complete + "backup --compress l"), "lzx\n");
    // The output options: --json where a command takes it, --quiet and --verbose everywhere.
    EXPECT_EQ(RunCommand(complete + "backup --js"), "--json\n");
    EXPECT_EQ(RunCommand(complete + "delete --q"), "--quiet\n");
    for (const char* command : {"scan", "backup", "raw", "verify", "list", "categories-of", "restore"})
        EXPECT_NE(Run({command, "--help"}).out.find("--json"), std::string::npos) << command;
    EXPECT_EQ(Run({"delete", "--json", "D:\\x"}).status, 2);
    for (const char* option : {"--json", "--quiet", "--verbose"}) {
        EXPECT_NE(manPage.find(std::string("\n.B ") + option + "\n"), std::string::npos) << option;
        EXPECT_NE(general.out.find(option), std::string::npos) << option;
    }
    ToolRun version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "qxfm " QXFM_TEST_VERSION "\n");
    ToolRun none = Run({});
    EXPECT_EQ(none.status, 2);
    ToolRun unknown = Run({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "qxfm: unknown command frobnicate (see qxfm --help)\n");
}

TEST_F(QxfmTool, CategoriesFromWindowsAndHostPaths) {
    SampleTree tree = MakeSampleTree(drives);
    ToolRun windowsPath = Run({"categories", "C:\\types.txt"});
    EXPECT_EQ(windowsPath.status, 0) << windowsPath.err;
    EXPECT_EQ(windowsPath.out, "DOCUMENTS\nPICTURES\nMUSIC\nVIDEO\n");
    ToolRun hostPath = Run({"categories", drives.Root('C') + "/types.txt"});
    EXPECT_EQ(hostPath.out, windowsPath.out);

    // On the host's own drive table, the project's type list by its host path.
    ToolOptions hostDrives{drives.WorkDir(), "", {}};
    ToolRun data = RunTool({"categories", QXFM_TEST_DATA_DIR "/types.txt"}, hostDrives);
    EXPECT_EQ(data.status, 0) << data.err;
    EXPECT_EQ(data.out, "DOCUMENTS\nPICTURES\nMUSIC\nVIDEO\n");

    ToolRun missing = Run({"categories", "C:\\no such types.txt"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.LastErrLine(), "qxfm: reading the type list C:\\no such types.txt failed: the system cannot find "
                                     "the file specified (system error 2)");
    EXPECT_EQ(Count(missing.err, "\n"), 1u) << missing.err;
}

TEST_F(QxfmTool, ScanListsTheFilesOfTheChosenCategories) {
    MakeSampleTree(drives);
    ToolRun scan = Run({"scan", "--folder", "C:\\Users", "--types", "C:\\types.txt", "--category", "Documents",
                        "--category", "Music", "--list"});
    ASSERT_EQ(scan.status, 0) << scan.err;
    EXPECT_NE(scan.out.find("\\ann\\Documents\\report.doc\n"), std::string::npos) << scan.out;
    EXPECT_NE(scan.out.find("\\ann\\Music\\song.mp3\n"), std::string::npos);
    EXPECT_EQ(scan.out.find("beach.jpg"), std::string::npos);
    EXPECT_NE(scan.out.find("4 files, "), std::string::npos) << scan.out;
    EXPECT_NE(scan.err.find("scan 100%"), std::string::npos) << scan.err;
    EXPECT_EQ(scan.out.find("scanned drives:"), std::string::npos) << scan.out;

    // Without --folder: every fixed drive but the active C:, which is named as not scanned.
    ToolRun all = Run({"scan", "--types", "C:\\types.txt", "--category", "Documents"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.err.find("Hard Drive"), std::string::npos) << all.err;
    EXPECT_NE(all.out.find("scanned drives: D:\\\n"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("not scanned: C:\\ (the active (boot) partition; --folder scans it)\n"), std::string::npos)
        << all.out;
}

TEST_F(QxfmTool, BackupVerifyRestoreRoundTrip) {
    SampleTree tree = MakeSampleTree(drives);
    ToolRun backup = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Monday",
                          "--from-scan", "--folder", "C:\\Users", "--exclude", "setup"});
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_NE(backup.out.find("D:\\Backups\\Monday.wim\n"), std::string::npos) << backup.out;
    // The module's warning about the over-length path of the sample is no news to the user.
    EXPECT_EQ(backup.err.find("Warnning"), std::string::npos) << backup.err;

    ToolRun verify = Run({"verify", "D:\\Backups"});
    EXPECT_EQ(verify.status, 0) << verify.err;
    ToolRun categories = Run({"categories-of", "D:\\Backups"});
    EXPECT_EQ(categories.status, 0) << categories.err;
    EXPECT_EQ(categories.out, "DOCUMENTS\nPICTURES\nMUSIC\nVIDEO\n");

    ToolRun restore = Run({"restore", "D:\\Backups", "--to", "D:\\Restored", "--category", "Pictures",
                           "--category", "Documents"});
    ASSERT_EQ(restore.status, 0) << restore.err;
    for (const char* name : {"report.doc", "notes.txt", "beach.jpg"}) {
        std::vector<std::string> found = Below(u"D:\\Restored", std::string("/C/Users/ann/") +
                                                                     (name[0] == 'b' ? "Pictures/" : "Documents/") +
                                                                     name);
        ASSERT_EQ(found.size(), 1u) << name;
        const CString source = CString(u"C:\\Users\\ann\\") + (name[0] == 'b' ? u"Pictures\\" : u"Documents\\") +
                               CString::FromUtf8(name);
        EXPECT_EQ(ReadHostFile(found[0]), tree.Find(source)->content) << name;
    }
    EXPECT_TRUE(Below(u"D:\\Restored", "song.mp3").empty());
    ToolRun nowhere = Run({"restore", "D:\\Backups", "--to", "X:\\Restored"});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.LastErrLine(),
              "qxfm: restore failed: cannot restore into X:\\Restored: X: is not a drive of the drive table (QXFM_DRIVES)");

    ToolRun remove = Run({"delete", "D:\\Restored"});
    EXPECT_EQ(remove.status, 0) << remove.err;
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\Restored")));
}

// A user's shell may export what the module, the platform and qxfm read; the
// tests pass all the same, each program with a lock namespace of its own
// (this one's lock is held, and its namespace exported to the other).
TEST_F(QxfmTool, TheTestsPassWhateverTheUsersEnvironmentHolds) {
    OtherProcessLock other;
    ASSERT_TRUE(other.holding());
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
    int status = -1;
    const std::string output =
        RunCommand("QXFM_NAMESPACE='" + std::string(std::getenv("QXFM_NAMESPACE")) +
                       "' QXFM_DRIVES='C=/nowhere' QXFM_PLAIN=1 QXFM_CANCEL_AFTER=1 QXFM_MODULE=/nowhere '" + program +
                       "' --gtest_filter=QxfmTool.BackupVerifyRestoreRoundTrip:QxfmTool.ProgressBarOnATerminal",
                   &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 2 tests."), std::string::npos) << output;
}

TEST_F(QxfmTool, RawBackupCopiesIntoATimeStampedFolder) {
    SampleTree tree = MakeSampleTree(drives);
    ToolRun raw = Run({"raw", "--to", "D:\\Raw", "C:\\Users\\ann\\Music\\song.mp3",
                       drives.Root('C') + "/Users/ann/Documents/report.doc"});
    ASSERT_EQ(raw.status, 0) << raw.err;
    std::vector<std::string> song = Below(u"D:\\Raw", "/C/Users/ann/Music/song.mp3");
    ASSERT_EQ(song.size(), 1u);
    EXPECT_EQ(ReadHostFile(song[0]), tree.Find(u"C:\\Users\\ann\\Music\\song.mp3")->content);
    EXPECT_EQ(Below(u"D:\\Raw", "/C/Users/ann/Documents/report.doc").size(), 1u);
}

TEST_F(QxfmTool, RawBackupPrintsWhatWasCopiedAndWhatWasNot) {
    drives.Write(u"C:\\a.txt", "a");
    drives.Write(u"C:\\folder\\inside.txt", "a folder is not copied as a file");
    drives.Write(u"C:\\z.txt", "z");
    ToolRun raw = Run({"raw", "--to", "D:\\Raw", "C:\\a.txt", "C:\\folder", "C:\\missing.txt", "C:\\z.txt"});

    EXPECT_EQ(raw.status, 1) << raw.err;
    EXPECT_EQ(WithoutSizesAndTimes(raw.out), "not copied: C:\\folder\nnot copied: C:\\missing.txt\n2 files copied below D:\\Raw\\\n");
    EXPECT_EQ(raw.LastErrLine().rfind("qxfm: raw backup failed: ", 0), 0u) << raw.err;
    EXPECT_EQ(Below(u"D:\\Raw").size(), 2u);
}

TEST_F(QxfmTool, FailuresEndWithOneLineReasonAndTheirStatus) {
    MakeSampleTree(drives);
    drives.Write(u"D:\\Empty\\readme.txt", "no backup here");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string reasonStart;
    };
    const std::vector<Case> cases = {
        {{"verify", "D:\\Empty"}, 1, "qxfm: verify failed: no backup catalog Tarvolen.fbu in D:\\Empty"},
        {{"restore", "D:\\Empty", "--to", "D:\\R"}, 1, "qxfm: restore failed: no backup catalog"},
        {{"categories-of", "D:\\Empty"}, 1, "qxfm: categories-of failed: no backup catalog"},
        {{"backup", "--types", "C:\\types.txt", "--to", "D:\\B", "--name", "x", "--split-mb", "50", "C:\\a.doc"},
         2, "qxfm: backup: --split-mb takes a size of 100 MiB or more"},
        {{"backup", "--types", "C:\\types.txt", "--to", "D:\\B", "--name", "x", "--compress", "zip", "C:\\a.doc"}, 2,
         "qxfm: backup: --compress takes none, xpress or lzx"},
        {{"backup", "--to", "D:\\B", "--name", "x", "C:\\a.doc"}, 2, "qxfm: backup: --types is required"},
        {{"backup", "--types", "C:\\types.txt", "--to", "D:\\B", "--name", "x", "C:\\Users\\ann\\missing.doc"}, 1,
         "qxfm: backup failed: C:\\Users\\ann\\missing.doc: no such file"},
        {{"backup", "--types", "C:\\types.txt", "--to", "D:\\Empty\\readme.txt\\B", "--name", "x",
          "C:\\Users\\ann\\Documents\\notes.txt"},
         1, "qxfm: backup failed: cannot create D:\\Empty\\readme.txt\\B: the system cannot find the path specified"},
        {{"backup", "--types", "C:\\types.txt", "--to", "X:\\B", "--name", "x", "C:\\Users\\ann\\notes.txt"}, 1,
         "qxfm: backup failed: cannot back up into X:\\B: X: is not a drive of the drive table (QXFM_DRIVES)"},
        {{"backup", "--types", "C:\\types.txt", "--to", "D:\\B", "--name", "x", "--category", "Photos",
          "C:\\Users\\ann\\notes.txt"},
         1, "qxfm: backup failed: the type list C:\\types.txt holds no category Photos (it holds DOCUMENTS, PICTURES, "
            "MUSIC, VIDEO)"},
        {{"scan", "--types", "C:\\types.txt", "--category", "Photos"}, 1,
         "qxfm: scan failed: the type list C:\\types.txt holds no category Photos (it holds DOCUMENTS, PICTURES, MUSIC, "
         "VIDEO)"},
        {{"scan", "--types", "/nowhere/types.txt", "--bogus"}, 2, "qxfm: scan: unknown option --bogus"},
        {{"delete", "D:\\"}, 1, "qxfm: delete failed: The path: D:\\ you want to delete folder is dangerous!"},
        {{"delete", "D:\\Nothing here"}, 1, "qxfm: delete failed: no folder D:\\Nothing here"},
    };
    for (const Case& c : cases) {
        ToolRun run = Run(c.args);
        EXPECT_EQ(run.status, c.status) << c.args[0] << "\n" << run.err;
        EXPECT_EQ(run.LastErrLine().rfind(c.reasonStart, 0), 0u) << run.err;
        EXPECT_EQ(Count(run.err, "qxfm: "), 1u) << run.err;
    }
    EXPECT_TRUE(HostExists(drives.Root('D') + "/Empty/readme.txt"));
    EXPECT_FALSE(HostExists(drives.Root('D') + "/B"));  // made by none of the failed backups
}

TEST_F(QxfmTool, MalformedDriveTableIsAUsageErrorNamingTheEntry) {
    options.drives = "C=" + drives.Root('C') + ",fixed,actve";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"scan", "--folder", "C:\\etc", "--types",
                                                                          "C:\\types.txt", "--list"},
                                                 std::vector<std::string>{"delete", "C:\\etc"}}) {
        ToolRun run = Run(args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.LastErrLine(), "qxfm: QXFM_DRIVES entry \"C=" + drives.Root('C') +
                                         ",fixed,actve\": unknown kind or option \"actve\"");
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

// Pieces of big files sit beside them as NAME.000, NAME.001 ...
bool HasPieces(const std::string& hostRoot) {
    for (const std::string& f : FilesBelow(hostRoot)) {
        const std::string ext = std::filesystem::path(f).extension().string();
        if (ext.size() == 4 && isdigit(ext[1]) && isdigit(ext[2]) && isdigit(ext[3])) return true;
    }
    return false;
}

TEST_F(QxfmTool, CtrlCDuringASplitBackupLeavesNoPiecesAndNoImage) {
    MakeSampleTree(drives, (100u << 20) + 4096);  // one video above the 100 MiB split size
    ToolRun run = RunToolInterruptedAt({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name",
                                        "Big", "--split-mb", "100", "--compress", "none", "--from-scan", "--folder",
                                        "C:\\Users", "--verbose"},
                                       options, "backup append start");
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_EQ(run.LastErrLine(), "qxfm: cancelled");
    EXPECT_FALSE(HasPieces(drives.Root('C')));
    EXPECT_TRUE(Below(u"D:\\Backups", ".wim").empty());
    EXPECT_TRUE(Below(u"D:\\Backups", ".swm").empty());
    EXPECT_TRUE(Below(u"D:\\Backups", ".fbu").empty());
    EXPECT_TRUE(HostExists(drives.Host(u"C:\\Users\\ann\\Videos\\holiday.avi")));
}

TEST_F(QxfmTool, CancelHookStopsScanBackupAndRestore) {
    MakeSampleTree(drives);
    options.extraEnv = {"QXFM_CANCEL_AFTER=3"};
    ToolRun scan = Run({"scan", "--folder", "C:\\Users", "--types", "C:\\types.txt"});
    EXPECT_EQ(scan.status, 130);
    EXPECT_EQ(scan.LastErrLine(), "qxfm: cancelled");
    ToolRun backup = Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\New\\Backups", "--name", "Mon",
                          "C:\\Users\\ann\\Documents\\report.doc", "C:\\Users\\ann\\Music\\song.mp3",
                          "C:\\Users\\ann\\Pictures\\beach.jpg"});
    EXPECT_EQ(backup.status, 130) << backup.err;
    // The folders the backup made are gone with it.
    EXPECT_FALSE(HostExists(drives.Host(u"D:\\New"))) << backup.err;

    options.extraEnv.clear();
    ASSERT_EQ(Run({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Mon",
                   "C:\\Users\\ann\\Documents\\report.doc"})
                  .status,
              0);
    options.extraEnv = {"QXFM_CANCEL_AFTER=1"};
    ToolRun restore = Run({"restore", "D:\\Backups", "--to", "D:\\R"});
    EXPECT_EQ(restore.status, 130) << restore.err;
    EXPECT_EQ(restore.LastErrLine(), "qxfm: cancelled");
    EXPECT_EQ(Count(restore.err, "warning:"), 0u) << restore.err;
}

TEST_F(QxfmTool, ProgressBarOnATerminal) {
    MakeSampleTree(drives);
    ToolRun run = RunToolInTerminal({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Tty",
                                     "--from-scan", "--folder", "C:\\Users"},
                                    options);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\r\033[K["), std::string::npos);
    EXPECT_TRUE(std::regex_search(run.out, std::regex(R"(\] capture [0-9]+%  [0-9.]+ \w+ of [0-9.]+ \w+)"))) << run.out;
    EXPECT_NE(run.out.find("capture 100%  "), std::string::npos) << run.out;  // the line the operation ended with
    EXPECT_NE(run.out.find("C:\\Users\\ann\\"), std::string::npos) << run.out;  // the current file
    EXPECT_EQ(run.out.find("capture 10%\r\n"), std::string::npos);            // no plain lines
    EXPECT_NE(run.out.find("Tty.wim"), std::string::npos);
}

// By default one progress line per operation and a summary of the library's
// own counts; --quiet only errors, --verbose the library's texts as well,
// --json one document whatever the names hold.
TEST_F(QxfmTool, OutputByDefaultQuietVerboseAndAsJson) {
    SampleTree tree = MakeSampleTree(drives);
    const size_t reportBytes = tree.Find(u"C:\\Users\\ann\\Documents\\report.doc")->content.size();
    const std::vector<std::string> backup{"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name",
                                          "Plain", "C:\\Users\\ann\\Documents\\report.doc"};
    ToolRun run = Run(backup);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string size = R"([0-9.]+ (bytes|KiB|MiB))";
    EXPECT_TRUE(std::regex_match(run.err, std::regex("capture 100%  " + size + " of " + size + "(  " + size +
                                                     "/s)?  in [0-9.]+ s\n")))
        << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex(R"(D:\\Backups\\Plain\.wim\n1 files stored, )" + size +
                                                     R"(, in 1 image file\(s\) of )" + size +
                                                     R"( \(compression ratio [0-9.]+\) in [0-9.]+ s\n)")))
        << run.out;

    ToolRun quiet = Run({"restore", "D:\\Backups", "--to", "D:\\R", "--quiet"});
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.out + quiet.err, "");
    ToolRun verbose = Run({"restore", "D:\\Backups", "--to", "D:\\R", "--verbose"});
    EXPECT_EQ(verbose.status, 0) << verbose.err;
    // Once for the one category with an image, once at the end.
    EXPECT_EQ(Count(verbose.err, "Restore testing OK!\n"), 2u) << verbose.err;
    // The second restore's folder is " (2)" only when it starts in the first one's second.
    EXPECT_TRUE(std::regex_search(verbose.out, std::regex(R"(^restored 4 categories \(\d+ files and folders\) into )"
                                                          R"(D:\\R\\System Recovery Files\\[0-9-]+ [0-9]+( \(2\))?\\ )")))
        << verbose.out;
    ToolRun plain = Run({"restore", "D:\\Backups", "--to", "D:\\R"});
    EXPECT_EQ(plain.err.find("Restore testing"), std::string::npos) << plain.err;
    EXPECT_EQ(Count(plain.err, "\n"), 1u) << plain.err;

    // Names that JSON must escape: a tab, and a byte that is not UTF-8.
    drives.Write(u"C:\\Users\\ann\\Documents\\tab\there.doc", "tab");
    WriteHostFile(drives.Root('C') + "/Users/ann/Documents/bad\xff.doc", "bad");
    const std::string json = drives.Root('D') + "/out.json";
    const std::string check = "python3 -c 'import json, os, sys; d = json.load(open(sys.argv[1])); print(" +
                              std::string("d[\"command\"], d[\"exit_status\"], ") + "%s)' " + json;
    auto Facts = [&](const std::vector<std::string>& args, const std::string& facts) {
        ToolRun run = Run(args);
        WriteHostFile(json, run.out);
        char command[1024];
        std::snprintf(command, sizeof command, check.c_str(), facts.c_str());
        return RunCommand(command);
    };
    EXPECT_EQ(Facts({"scan", "--folder", "C:\\Users\\ann\\Documents", "--types", "C:\\types.txt", "--json"},
                    R"(sorted(os.fsencode(f["path"]).split(b"\\")[-1][:9] for f in d["files"]), d["file_count"])"),
              "scan 0 [b'bad\\xff.doc', b'deep repo', b'notes.txt', b'report.do', b'tab\\there.'] 5\n");
    EXPECT_EQ(Facts({"backup", "--types", "C:\\types.txt", "--to", "D:\\Backups", "--name", "Plain", "--json",
                     "C:\\Users\\ann\\Documents\\report.doc", "C:\\Users\\ann\\Documents\\bad\xff.doc"},
                    "d[\"files_stored\"], d[\"bytes_stored\"], [i[\"path\"] for i in d[\"image_files\"]], "
                    "d[\"image_bytes\"] > 0, [os.fsencode(f[\"path\"])[-8:] for f in d[\"left_out\"]]"),
              "backup 4 1 " + std::to_string(reportBytes) + " ['D:\\\\Backups\\\\Plain.wim'] True [b'bad\\xff.doc']\n");
    EXPECT_EQ(Facts({"list", "D:\\Backups", "--json"},
                    "[(i[\"image\"], [(f[\"path\"], f[\"size\"]) for f in i[\"files\"]]) for i in d[\"images\"]]"),
              "list 0 [('C: DOCUMENTS', [('C:\\\\Users\\\\ann\\\\Documents\\\\report.doc', " +
                  std::to_string(reportBytes) + ")])]\n");
    EXPECT_EQ(Facts({"verify", "D:\\Backups", "--deep", "--json"}, "d[\"complete\"], d[\"files_checked\"]"),
              "verify 0 True 1\n");
    EXPECT_EQ(Facts({"categories-of", "D:\\Backups", "--json"}, "d[\"categories\"]"),
              "categories-of 0 ['DOCUMENTS', 'PICTURES', 'MUSIC', 'VIDEO']\n");
    EXPECT_EQ(Facts({"restore", "D:\\Backups", "--to", "D:\\R", "--category", "documents", "--json"},
                    R"("System Recovery Files" in d["restored_into"], d["categories"])"),
              "restore 0 True ['documents']\n");
    EXPECT_EQ(Facts({"raw", "--to", "D:\\Raw", "C:\\Users\\ann\\Documents\\report.doc", "C:\\gone.doc", "--json"},
                    "d[\"files_copied\"], d[\"not_copied\"]"),
              "raw 0 1 [{'path': 'C:\\\\gone.doc', 'reason': 'not found'}]\n");
    EXPECT_EQ(Facts({"restore", "D:\\Backups", "--to", "X:\\R", "--json"}, "d[\"error\"]"),
              "restore 1 restore failed: cannot restore into X:\\R: X: is not a drive of the drive table "
              "(QXFM_DRIVES)\n");
}

}  // namespace

namespace {

TEST_F(QxfmTool, DemoRunsTheWholeCycleAndCleansUp) {
    // A relative type list path, as scripts/demo.sh passes it.
    const std::string types =
        std::filesystem::relative(QXFM_TEST_DATA_DIR "/types.txt", drives.WorkDir()).string();
    ToolOptions hostDrives{drives.WorkDir(), "", {}};
    ToolRun demo = RunTool({"demo", "--types", types}, hostDrives);
    ASSERT_EQ(demo.status, 0) << demo.out << demo.err;
    EXPECT_NE(demo.out.find("image file(s), split at 100 MiB"), std::string::npos) << demo.out;
    EXPECT_NE(demo.out.find(".swm  "), std::string::npos) << demo.out;
    EXPECT_NE(demo.out.find("compare: 9 of 9 restored files identical"), std::string::npos) << demo.out;
    EXPECT_NE(demo.out.find("summary: "), std::string::npos);
    EXPECT_EQ(demo.out.find("kept "), std::string::npos);
    // Nothing of the demo lands in the current folder: the library's logs go to its own work folder.
    EXPECT_TRUE(FilesBelow(drives.WorkDir()).empty());
}

}  // namespace
