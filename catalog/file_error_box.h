// The user-facing report of a file that cannot be opened.
#pragma once

#include "windows.h"

// A message box with an OK button showing the system's description of error.
void ShowFileErrorBox(DWORD error);
