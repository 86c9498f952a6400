// The categories of a stored backup, with the reason when they cannot be had.
#pragma once

#include <vector>

#include "host.h"

namespace qxfm {

// The categories of the catalog in folder; on failure prints why ("COMMAND
// failed: ..." naming a missing, unreadable or empty catalog) and returns the
// exit status.
int StoredCategories(Host& host, const char* command, const CString& folder, std::vector<CString>* categories);

}  // namespace qxfm
