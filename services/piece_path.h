// The name of a big file's piece: the file's path, a dot and the piece number
// with at least three digits ("film.avi.000").
#pragma once

#include "atlstr.h"

CString PiecePath(const CString& path, ULONGLONG number);

// Whether path has the form of a piece's name.
bool IsPiecePath(const CString& path);
