// The test engine of the Windows build keeps what a failed or cancelled
// extraction wrote, as Windows' own engine does: it notes and removes nothing.
#pragma once

#include <wimlib.h>

#include <functional>

#include "atlstr.h"
#include "wimgapi_host.h"

class QxExtractedFiles {
public:
    explicit QxExtractedFiles(const HostString&) {}
    void Note(const struct wimlib_dir_entry&, const CString&) {}
    void RemoveUnfinished(const std::function<void(const CString&)>&) const {}
};
