// The type list file: categories and their extension patterns.
#pragma once

#include <vector>

#include "catalog/records.h"

// Appends the categories of typeListFile (all, or those named in categories,
// compared ignoring case) to types. True when at least one extension line of
// a selected category was taken, false otherwise (also when the file cannot be opened).
bool LoadTypeList(CString typeListFile, std::vector<CString>* categories, std::vector<TypeEntry>* types);
