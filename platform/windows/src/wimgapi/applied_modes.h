// Windows items carry no set-user-ID bits, capabilities or device nodes: an
// apply leaves no privilege the image asks for, and nothing is dropped.
#pragma once

#include <wimlib.h>

#include "wimgapi_host.h"

inline bool QxDropAppliedPrivileges(WIMStruct*, int, const HostString&, bool) { return true; }
