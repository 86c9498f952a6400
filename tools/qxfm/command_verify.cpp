// verify: the module's validity check and, with --deep, qxfm's own reading of
// every part with the check of every stored file's data.
#include <cstdio>

#include "cancel.h"
#include "code_text.h"
#include "commands.h"
#include "image_engine.h"
#include "image_reader.h"
#include "outcome.h"
#include "output.h"
#include "paths.h"

namespace qxfm {
namespace {

// What the deep check found wrong, one line each, and the parts concerned.
struct Findings {
    std::vector<std::string> lines;
    std::set<CString> parts;
    size_t files = 0, images = 0;
};

void CheckSet(Host& host, const ImageSet& set, Findings* findings) {
    if (set.parts.size() < set.totalParts) {
        std::string missing;
        for (const CString& part : MissingParts(set)) missing += (missing.empty() ? "" : ", ") + part.ToUtf8();
        findings->lines.push_back(set.parts.front().ToUtf8() + ": only " + std::to_string(set.parts.size()) + " of " +
                                  std::to_string(set.totalParts) + " parts are there; missing: " + missing);
        findings->parts.insert(set.parts.begin(), set.parts.end());
    }
    ImageReader reader(host.display());
    std::vector<ImageReport> reports;
    DWORD error = 0;
    if (!reader.ReadSet(set, true, &reports, &error)) {
        findings->lines.push_back(set.parts.front().ToUtf8() + ": cannot be read: " + SystemErrorText(error));
        findings->parts.insert(set.parts.front());
        return;
    }
    for (const ImageReport& report : reports) {
        ++findings->images;
        findings->files += report.files.size();
        if (!report.read) {
            if (report.error == ERROR_REQUEST_ABORTED) continue;
            findings->lines.push_back(report.image.text.ToUtf8() + " (image " + std::to_string(report.image.index) +
                                      " of " + set.parts.front().ToUtf8() + "): cannot be read: " +
                                      SystemErrorText(report.error));
            findings->parts.insert(set.parts.begin(), set.parts.end());
        }
        for (const CString& damaged : report.damaged) {
            const StoredFile* owner = OwnerOf(report.files, damaged);
            std::string line = "damaged: " + (owner ? owner->path : damaged).ToUtf8();
            if (owner && !owner->pieces.empty()) line += " (piece " + damaged.Mid(damaged.ReverseFind(u'\\') + 1).ToUtf8() + ")";
            findings->lines.push_back(line + " in " + report.image.text.ToUtf8());
        }
        findings->parts.insert(report.damagedParts.begin(), report.damagedParts.end());
    }
}

}  // namespace

int RunVerify(Host& host, const Args& args) {
    CString folder;
    int status = kExitOk;
    if (!BackupFolderArgument("verify", args, &folder, &status)) return status;
    if (TheOutput().json) {
        Report("folder") = folder.ToUtf8();
        Report("deep") = args.Has("--deep");
        Report("complete") = false;
    }
    if (!ImageEngineReady("verify", &status)) return status;
    if (host.module().IsDataValid(AsFolder(folder)) != 0) {
        // The module names what is missing only in its debug log; a missing part of a split set is named here.
        std::vector<CString> unreadable;
        std::string missing;
        for (const ImageSet& set : FindImageSets(AsFolder(folder), &unreadable))
            for (const CString& part : MissingParts(set)) missing += (missing.empty() ? "" : ", ") + part.ToUtf8();
        if (!missing.empty())
            return Fail(kExitFailed, "verify failed: the backup in " + folder.ToUtf8() + " is missing " + missing);
        return Fail(kExitFailed, "verify failed: the backup in " + folder.ToUtf8() +
                                     " is missing image files or its catalog cannot be read (see Dbg.log)");
    }
    if (!args.Has("--deep")) {
        if (TheOutput().json) Report("complete") = true;
        if (PrintsSummary()) std::printf("backup in %s is complete\n", folder.ToUtf8().c_str());
        return kExitOk;
    }
    Findings findings;
    std::vector<CString> unreadable;
    const std::vector<ImageSet> sets = FindImageSets(AsFolder(folder), &unreadable);
    for (const CString& path : unreadable) {
        findings.lines.push_back(path.ToUtf8() + ": not a readable image file");
        findings.parts.insert(path);
    }
    for (const ImageSet& set : sets) {
        if (CancelRequested()) break;
        CheckSet(host, set, &findings);
    }
    host.display().Finish();
    if (CancelRequested()) return Fail(kExitCancelled, "cancelled");
    if (TheOutput().json) {
        Json& problems = Report("problems") = Json::Array();
        for (const std::string& line : findings.lines) problems.Push(line);
        Json& parts = Report("damaged_parts") = Json::Array();
        for (const CString& part : findings.parts) parts.Push(part.ToUtf8());
        Report("files_checked") = findings.files;
        Report("images_checked") = findings.images;
        Report("complete") = findings.lines.empty();
    } else {
        for (const std::string& line : findings.lines) std::printf("%s\n", line.c_str());
    }
    if (!findings.lines.empty()) {
        std::string parts;
        for (const CString& part : findings.parts) parts += (parts.empty() ? "" : ", ") + part.ToUtf8();
        return Fail(kExitFailed, "verify failed: the backup in " + folder.ToUtf8() + " is damaged" +
                                     (parts.empty() ? std::string() : " (parts: " + parts + ")"));
    }
    if (PrintsSummary())
        std::printf("backup in %s is complete: %zu files in %zu images read and checked in %.1f s\n",
                    folder.ToUtf8().c_str(), findings.files, findings.images, SecondsSinceStart());
    return kExitOk;
}

}  // namespace qxfm
