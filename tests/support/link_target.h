// What a shell link file holds, as a reader of its own sees it.
#pragma once

#include <string>

namespace qxtest {

// The target path of the shortcut at a host path, as lnkinfo reports it (on
// Windows, the system's shell link object); a text that says what failed
// when it cannot be read.
std::string LinkTarget(const std::string& link);
// The shortcut's description, read the same way; empty when it holds none.
std::string LinkDescription(const std::string& link);
// Whether the system's shortcuts keep a target longer than MAX_PATH: Wine's
// IShellLinkW saves no such target (nor fails), Windows' and the platform's do.
bool ShortcutsHoldLongTargets();
// Why a check of such a target is left out where they do not.
inline constexpr char kNoLongShortcutTargets[] = "Wine's shortcuts keep no target longer than MAX_PATH";

}  // namespace qxtest
