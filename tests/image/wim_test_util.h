// Helpers of the image engine tests: a message recorder and a reader of image
// files: wimlib-imagex on Linux (wim_test_reader.cpp), on Windows, which has
// no such tool, the WIMGAPI the tests load (windows/wim_test_reader.cpp).
#pragma once

#include <string>
#include <vector>

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

// The number of images of the file, or -1.
int ImageCountOf(const std::string& hostWim);
// Every image's data reads back as stored; refs: the other parts (a wildcard pattern).
bool Verifies(const std::string& hostWim, const std::string& refs = "");
// The paths of an image's items, one a line, "/" first, "/"-separated.
std::string ListingOf(const std::string& hostWim, int image, const std::string& refs = "");

}  // namespace wimtest
