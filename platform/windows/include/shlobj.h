// The real shell headers over this project's windows.h.
#pragma once

#include <windows.h>

// Its one inline use in shobjidl.h must be a WCHAR text too.
#ifndef PROP_CONTRACT_DELEGATE
#define PROP_CONTRACT_DELEGATE u"ContractDelegate"
#endif

#include_next <shlobj.h>
