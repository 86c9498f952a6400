// Reads a shell link (.lnk) file back: target path, string data and the
// target's recorded attributes, times and size.
#pragma once

#include <string>

#include "lnk_writer.h"

// False when the bytes are not a well-formed shell link.
bool QxParseShellLink(const std::string& bytes, QxShellLinkContent& link);
