// A reader of image files of its own: wimlib-imagex on Linux; on Windows,
// which has no such tool, the WIMGAPI the tests load (the test image engine).
#pragma once

#include <string>

namespace qxtest {

// The number of images of the file, or -1.
int ImageCountOf(const std::string& hostWim);
// Every image's data reads back as stored; refs: the other parts (a wildcard pattern).
bool Verifies(const std::string& hostWim, const std::string& refs = "");
// The paths of an image's items, one a line, "/" first, "/"-separated.
std::string ListingOf(const std::string& hostWim, int image, const std::string& refs = "");

}  // namespace qxtest
