// Whether a list of image files is one complete set: an image file alone, or
// every part of one split image, as the restore will read them.
#pragma once

#include <vector>

#include "atlstr.h"

struct ImageSetFault {
    enum Kind { None, Missing, Foreign };
    Kind kind = None;
    CString path;  // the first file that is missing or not a part of the set
};

// The first entry of paths (in order) that does not exist, or that is not
// part n of one image set of paths.size() parts with the first entry as part 1.
ImageSetFault CheckImageSet(const std::vector<CString>& paths);
