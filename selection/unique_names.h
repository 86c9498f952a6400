// Duplicate removal for the host's category vector.
#pragma once

#include <vector>

#include "atlstr.h"

// Erases every name equal, ignoring case, to an earlier one; order is kept.
void RemoveDuplicateNames(std::vector<CString>* names);
