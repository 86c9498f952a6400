// The current local time as text.
#pragma once

#include "atlstr.h"

// The local time formatted like wcsftime, e.g. "%Y-%m-%d %H%M%S" -> "2010-11-23 153012".
CString LocalTimeText(const WCHAR* format);
