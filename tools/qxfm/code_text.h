// Readable texts for the module's operation and error codes, taken from the
// code tables of qxfilemgr.h.
#pragma once

#include <string>

namespace qxfm {

// The text of an operation code; payload fills a %s where the code carries a path.
std::string OperationText(int code, const std::string& payload = "");
// The text of an error code (negative), or of a system error code (positive);
// payload fills %s, number fills %d and %u.
std::string ErrorText(long long code, const std::string& payload = "", long long number = 0);

// A system error code in words: "access is denied (system error 5)".
std::string SystemErrorText(long long code);

// One of the module's constant texts posted by address, without its code word.
std::string ConstantText(const char16_t* text);

}  // namespace qxfm
