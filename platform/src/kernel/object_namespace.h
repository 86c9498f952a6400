// Named kernel objects are files: one folder per namespace below a root that
// belongs to the user, one file per object name.
#pragma once

#include <string>

// The root folder of every namespace of this user (not created here).
std::string QxObjectRootDir();
// A text as one safe file-name component: bytes outside [A-Za-z0-9_-] are
// written as %XX; texts too long for one component become a 128-bit hash.
std::string QxObjectFileComponent(const std::string& utf8);
// Creates a folder that only this user may use, or checks that it exists as
// such (a real folder, not a link, owned by the user). False with errno set.
bool QxEnsurePrivateDir(const std::string& dir);
