// The categories of a stored backup, with the reason when they cannot be had.
#pragma once

#include <vector>

#include "host.h"

namespace qxfm {

// The categories of the catalog in folder; on failure prints why ("COMMAND
// failed: ..." naming a missing, unreadable or empty catalog) and returns the
// exit status.
int StoredCategories(Host& host, const char* command, const CString& folder, std::vector<CString>* categories);
// Checks that the catalog in folder holds each of the asked categories (letter
// case aside); otherwise prints "COMMAND failed: ..." naming those it does not
// hold and the ones it does, and returns the exit status.
int CheckCategoriesStored(Host& host, const char* command, const CString& folder, const std::vector<CString>& asked);
// When held lacks some of the asked categories (letter case aside): prints
// "COMMAND failed: WHERE holds no category X (it holds A, B)" and returns the
// exit status; 0 otherwise.
int CheckCategoriesHeld(const char* command, const std::string& where, const std::vector<CString>& asked,
                        const std::vector<CString>& held);

}  // namespace qxfm
