#include <stdexcept>

#include "testhost.h"
#include "windows.h"

namespace qxtest {

// Only a link that is there counts: Wine's CreateSymbolicLinkW succeeds without making one.
bool MakeLink(const std::string& target, const std::string& link, bool folder) {
    CString to = CString::FromUtf8(target), at = CString::FromUtf8(link);
    to.Replace(u'/', u'\\');
    at.Replace(u'/', u'\\');
    const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    const BOOLEAN made = CreateSymbolicLinkW(at, to, flags);
    const DWORD attributes = GetFileAttributesW(at);
    if (made && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    if (made || GetLastError() == ERROR_CALL_NOT_IMPLEMENTED || GetLastError() == ERROR_NOT_SUPPORTED) return false;
    throw std::runtime_error("cannot make the link " + link + ": system error " + std::to_string(GetLastError()));
}

}  // namespace qxtest
