// No item an apply writes keeps a privilege the image asks for: a crafted
// image applied by root could otherwise leave set-user-ID programs of any
// owner, programs with file capabilities, or device nodes open to everyone.
#pragma once

#include <wimlib.h>

#include <string>

// Goes over every item of the image as applied below targetHost (the target
// folder itself only when withTarget) without following links: files and
// folders lose the set-user-ID and set-group-ID bits, folders the sticky bit
// (a file keeps its own: it marks the DOS bits), files their capabilities,
// device nodes every permission. False with errno set when an item could not
// be changed.
bool QxDropAppliedPrivileges(WIMStruct* wim, int image, const std::string& targetHost, bool withTarget);
