// Automation strings with the Windows layout: a 4-byte length in bytes, the
// characters, a 2-byte terminator; a BSTR points at the first character.
#include <cstdlib>
#include <cstring>

#include "windows.h"

namespace {

constexpr size_t kPrefixBytes = sizeof(DWORD);
// The byte length must fit the 32-bit prefix together with prefix and terminator.
constexpr UINT kMaxChars = (0xFFFFFFFFu - kPrefixBytes - sizeof(OLECHAR)) / sizeof(OLECHAR);

BYTE* BlockOf(BSTR bstr) { return reinterpret_cast<BYTE*>(bstr) - kPrefixBytes; }

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > kMaxChars) return nullptr;
    size_t bytes = static_cast<size_t>(ui) * sizeof(OLECHAR);
    BYTE* block = static_cast<BYTE*>(calloc(1, kPrefixBytes + bytes + sizeof(OLECHAR)));
    if (!block) return nullptr;
    DWORD prefix = static_cast<DWORD>(bytes);
    memcpy(block, &prefix, sizeof prefix);
    BSTR bstr = reinterpret_cast<BSTR>(block + kPrefixBytes);
    if (strIn) memcpy(bstr, strIn, bytes);
    return bstr;
}

BSTR SysAllocString(const OLECHAR* psz) {
    if (!psz) return nullptr;
    size_t length = 0;
    while (psz[length] && length <= kMaxChars) ++length;
    if (length > kMaxChars) return nullptr;
    return SysAllocStringLen(psz, static_cast<UINT>(length));
}

UINT SysStringLen(BSTR pbstr) {
    if (!pbstr) return 0;
    DWORD bytes;
    memcpy(&bytes, BlockOf(pbstr), sizeof bytes);
    return bytes / sizeof(OLECHAR);
}

void SysFreeString(BSTR bstrString) {
    if (bstrString) free(BlockOf(bstrString));
}
