// The shell link object behind CoCreateInstance(CLSID_ShellLink).
#pragma once

#include "shlobj.h"

// A new shell link object asked for one of its interfaces (reference count 1).
HRESULT QxCreateShellLink(REFIID riid, void** ppv);

bool QxSameGuid(const GUID& a, const GUID& b);
