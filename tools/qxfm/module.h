// The module (libQXFileMgr.so, QXFileMgr.dll) loaded at run time through its
// plain export names, as a host application loads it.
#pragma once

#include <string>

#include "qxfilemgr.h"
#include "shared_library.h"

namespace qxfm {

struct Module : QxfmEntryPoints {
    // Loads the module; on failure returns false with the reason in *error.
    bool Load(std::string* error);

    SharedLibrary library;
};

}  // namespace qxfm
