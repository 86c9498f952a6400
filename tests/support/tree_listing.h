// Every entry of a host tree, to show what an operation changed there.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qxtest {

// One line per entry below root, sorted, links not followed: the relative
// path ('/'-separated), then "dir", "link <target>" (on Windows "link") or
// "file <size> <last-write time> <content hash>".
// Entries whose relative path begins with one of skip are left out, with
// everything below them.
std::vector<std::string> ListTree(const std::string& root, const std::vector<std::string>& skip = {});
// The same entries as relative path and what follows it on its line, unsorted.
std::vector<std::pair<std::string, std::string>> TreeEntries(const std::string& root,
                                                             const std::vector<std::string>& skip = {});

}  // namespace qxtest
