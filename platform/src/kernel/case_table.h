// Unicode simple case mapping over the Basic Multilingual Plane (generated table).
#pragma once

#include <cstddef>

// The code points first, first + step, ..., last map to themselves plus delta.
struct QxCaseRun {
    char16_t first, last;
    int delta;
    int step;
};

extern const QxCaseRun kUpperRuns[];
extern const size_t kUpperRunsCount;
extern const QxCaseRun kLowerRuns[];
extern const size_t kLowerRunsCount;
