// Where the restore and the validity check look for a backup's image files.
#pragma once

#include <vector>

#include "atlstr.h"

// The image files the catalog lists, by file name in folder (the folder the
// catalog recorded is not used, so a moved backup folder still restores), in
// the catalog's order.
std::vector<CString> ImageFilesIn(const CString& folder, const std::vector<CString>& stored);
