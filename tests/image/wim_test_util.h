// Helpers of the image engine tests: a message recorder, and the reader of
// image files of the test support.
#pragma once

#include <string>
#include <vector>

#include "image_reader.h"
#include "testhost.h"
#include "wimgapi.h"

namespace wimtest {

struct Message {
    DWORD id;
    CString path;
    unsigned long long value;  // percent, error code or part size
};

// Records every message; items whose path contains skipText are not taken;
// the abortAfter-th message of kind abortOn (counting from 1) is answered with abort.
struct Recorder {
    std::vector<Message> messages;
    CString skipText;
    DWORD abortOn = 0;
    int abortAfter = 0;

    std::vector<CString> Paths(DWORD id) const;
    std::vector<unsigned long long> Values(DWORD id) const;
};

// Registers a recorder process-wide for the lifetime of the object.
class RecorderRegistration {
public:
    explicit RecorderRegistration(Recorder& recorder);
    ~RecorderRegistration();
};

using qxtest::ImageCountOf;
using qxtest::ListingOf;
using qxtest::Verifies;

}  // namespace wimtest
