// A scan as a host runs it: the scan export with the chosen categories, then the
// hand-over of the found paths into a vector reserved for them.
#pragma once

#include <vector>

#include "host.h"

namespace qxfm {

struct ScanOutcome {
    int status = 0;  // exit status; 0 when the scan ran (it may have found nothing)
    std::vector<CString> files;
    ULONGLONG totalBytes = 0;
    size_t foldersNotListed = 0;  // folders the walk met but could not list: their files are missing
};

// folder empty: every fixed drive; categories empty: all of the type list.
// A scan of every drive prints which drives it scanned and which it did not, and why.

// The exit status and closing line for a run whose scan could not list some folders.
int ReportFoldersNotListed(size_t count);
ScanOutcome ScanFiles(Host& host, const CString& folder, const CString& typeList, std::vector<CString> categories);

// The category names of a type list file; status 0 when it could be read.
int ListCategories(Host& host, const CString& typeList, std::vector<CString>* categories);

// Checks that the type list holds each of the categories (letter case aside);
// otherwise prints "COMMAND failed: ..." naming them and returns the exit status.
int CheckCategoriesListed(Host& host, const char* command, const CString& typeList,
                          const std::vector<CString>& categories);

// CString arguments from UTF-8 texts.
std::vector<CString> ToCStrings(const std::vector<std::string>& texts);

}  // namespace qxfm
