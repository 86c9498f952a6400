// Upper- and lower-casing of UTF-16 code units by Unicode simple case mapping,
// independent of the process locale.
#include <algorithm>

#include "atlstr.h"
#include "case_table.h"

namespace {

WCHAR Map(const QxCaseRun* runs, size_t count, WCHAR ch) {
    const QxCaseRun* end = runs + count;
    const QxCaseRun* after = std::upper_bound(runs, end, ch, [](WCHAR c, const QxCaseRun& run) { return c < run.first; });
    if (after == runs) return ch;
    const QxCaseRun& run = after[-1];
    if (ch > run.last || (ch - run.first) % run.step != 0) return ch;
    return static_cast<WCHAR>(ch + run.delta);
}

}  // namespace

WCHAR QxToUpper(WCHAR ch) {
    if (ch < 0x80) return (ch >= u'a' && ch <= u'z') ? static_cast<WCHAR>(ch - 32) : ch;
    return Map(kUpperRuns, kUpperRunsCount, ch);
}

WCHAR QxToLower(WCHAR ch) {
    if (ch < 0x80) return (ch >= u'A' && ch <= u'Z') ? static_cast<WCHAR>(ch + 32) : ch;
    return Map(kLowerRuns, kLowerRunsCount, ch);
}
