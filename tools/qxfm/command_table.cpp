#include "commands.h"

namespace qxfm {

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
        {"categories",
         "usage: qxfm categories TYPES [--quiet|--verbose]\n"
         "Lists the categories of the type list file TYPES.\n",
         {}, {}, RunCategories, false},
        {"scan",
         "usage: qxfm scan [--folder F] --types TYPES [--category C ...] [--list] [--json] [--quiet|--verbose]\n"
         "Finds the files of the chosen categories (all when none is given) below the\n"
         "folder F, and prints their number and total size; --list prints their paths too.\n"
         "Without --folder it scans every fixed drive but the active (boot) partition,\n"
         "which only --folder scans, and prints the drives it scanned and those it did\n"
         "not, with the reason. Exit status 4: a folder could not be listed (Dbg.log\n"
         "names it), so the files in it are missing.\n",
         {"--folder", "--types", "--category"}, {"--list"}, RunScan, true},
        {"backup",
         "usage: qxfm backup --types TYPES --to FOLDER --name NAME [--split-mb N]\n"
         "                   [--compress none|xpress|lzx] [--exclude TEXT ...] [--category C ...]\n"
         "                   [--replace] [--json] [--quiet|--verbose]\n"
         "                   (FILES... | --from-scan [--folder F])\n"
         "Backs the files up into the image FOLDER\\NAME.wim with the catalog Tarvolen.fbu.\n"
         "--split-mb N (100 or more) cuts files larger than N MiB into pieces and splits\n"
         "the image into NAME*.swm parts of at most N MiB. --exclude leaves out files\n"
         "whose paths contain TEXT. --from-scan backs up what a scan of --folder (or of\n"
         "every fixed drive but the active one, as scan does) finds for the categories.\n"
         "Compression defaults to xpress. A folder keeps one backup: a backup of another\n"
         "name in FOLDER is named and refused (exit status 2) unless --replace is given,\n"
         "and then named as replaced. A failed backup removes the folders it made that\n"
         "stay empty.\n"
         "Exit status 3: backed up, but the image stays whole; 4: backed up, but files\n"
         "the image cannot store (printed as left out), or the files of a folder the scan\n"
         "could not list, are not in it.\n",
         {"--types", "--to", "--name", "--split-mb", "--compress", "--exclude", "--category", "--folder"},
         {"--from-scan", "--replace"}, RunBackup, true},
        {"raw",
         "usage: qxfm raw --to FOLDER [--json] [--quiet|--verbose] FILES...\n"
         "Copies the files into a new time-stamped folder below FOLDER.\n",
         {"--to"}, {}, RunRaw, true},
        {"verify",
         "usage: qxfm verify FOLDER [--deep] [--json] [--quiet|--verbose]\n"
         "Checks that every image file of the backup in FOLDER is there. --deep also\n"
         "reads every part and checks the data of every stored file against its hash;\n"
         "damaged files and parts are named and the exit status is 1.\n",
         {}, {"--deep"}, RunVerify, true},
        {"list",
         "usage: qxfm list FOLDER [--category C ...] [--long] [--json] [--quiet|--verbose]\n"
         "Lists the files stored in the backup in FOLDER, per drive and category, with\n"
         "their last-write times and sizes as stored; a big file cut into pieces shows\n"
         "once with its whole size. --long adds the attributes (R H S A, L for a link).\n"
         "A category the backup does not hold is an error.\n",
         {"--category"}, {"--long"}, RunList, true},
        {"categories-of",
         "usage: qxfm categories-of FOLDER [--json] [--quiet|--verbose]\n"
         "Lists the categories stored in the backup in FOLDER.\n",
         {}, {}, RunCategoriesOf, true},
        {"restore",
         "usage: qxfm restore FOLDER --to TARGET [--category C ...] [--json] [--quiet|--verbose]\n"
         "Restores the chosen categories (all stored ones when none is given) of the\n"
         "backup in FOLDER into a new dated folder below TARGET\\System Recovery Files.\n"
         "A category the backup does not hold is an error.\n",
         {"--to", "--category"}, {}, RunRestore, true},
        {"delete",
         "usage: qxfm delete FOLDER [--quiet|--verbose]\n"
         "Deletes the folder FOLDER with everything in it.\n",
         {}, {}, RunDelete, false},
        {"demo",
         "usage: qxfm demo --types TYPES [--keep] [--quiet|--verbose]\n"
         "Generates a sample tree on a temporary drive C:, scans it with TYPES, backs it\n"
         "up as a split image to a temporary drive D:, verifies, restores, compares and\n"
         "prints a summary. --keep leaves the temporary folder in place.\n",
         {"--types"}, {"--keep"}, RunDemo, false},
    };
    return table;
}

}  // namespace qxfm
